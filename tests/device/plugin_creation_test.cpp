// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_factory.h"
#include "music_files.h"
#include "program_folder.h"

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The program creates the player from its components folder. A refusal raised inside the plugin reaches the
// program as the contract's error; an unknown ProgID or a missing plugin is a device error with a
// description.
TEST(PluginCreation, CreatesTheEmulatedPlayerOrFailsWithADescription) {
    const ProgramFolder folder;
    const std::unique_ptr<DeviceComponent> device = createEmulatedPlayer(folder.storePath());
    device->Open();
    device->AddSong(0, u"title"_s, writeFile(folder.path() + u"/s.mp3"_s, "bytes"), u"0"_s);
    EXPECT_EQ(device->Songs(0, 0).at(0).size, 5);
    EXPECT_THROW(device->Folders(7), DeviceError);
    device->Close();
    for (const auto& [progId, components] :
         {std::pair(u"Rio500Remix.Rio600"_s, componentsFolder()), std::pair(kPlayerProgId, folder.path())})
        EXPECT_THAT([&] { createDevice(progId, components, folder.storePath()); },
                    ::testing::ThrowsMessage<DeviceError>(::testing::Not(::testing::IsEmpty())));
}

}  // namespace
}  // namespace tunedeck::testing
