#include "device_factory.h"
#include "music_files.h"
#include "program_folder.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The program creates the player from its components folder; no GUI application runs here, so the display
// bitmaps are left out, and sending must still work.
TEST(PluginCreation, FindsTheEmulatedPlayer) {
    const ProgramFolder program;
    const std::unique_ptr<DeviceComponent> device = createEmulatedPlayer(program.storePath());
    ASSERT_NE(device, nullptr);
    device->Open();
    EXPECT_EQ(device->ExtFlash(), 1);
    device->AddSong(0, u"title"_s, writeFile(program.path() + u"/s.mp3"_s, "bytes"), u"0"_s);
    ASSERT_EQ(device->Songs(0, 0).size(), 1u);
    EXPECT_EQ(device->Songs(0, 0)[0].size, 5);
    // A refusal raised inside the plugin reaches the program as the contract's error.
    EXPECT_THROW(device->Folders(7), DeviceError);
    device->Close();
}

// An unknown ProgID, a missing plugin or a file that is no plugin: a device error with a description.
TEST(PluginCreation, FailsWithADescription) {
    const ProgramFolder folder;
    const QString plugin = folder.path() + u"/libRio500Remix.so"_s;
    const struct {
        QString progId, components;
        QByteArray pluginBytes;
    } cases[] = {
        {u"Rio500Remix.Rio600"_s, componentsFolder(), {}},
        {kPlayerProgId, folder.path(), {}},
        {kPlayerProgId, folder.path(),
         QByteArray("\x7f"
                    "ELF garbage",
                    12)},
    };
    for (const auto& c : cases) {
        if (!c.pluginBytes.isEmpty())
            writeFile(plugin, c.pluginBytes);
        try {
            createDevice(c.progId, c.components, folder.storePath());
            ADD_FAILURE() << "created from " << c.components.toStdString();
        } catch (const DeviceError& error) {
            EXPECT_FALSE(error.description().isEmpty());
        }
    }
}

}  // namespace
}  // namespace tunedeck::testing
