#include "device_factory.h"
#include "program_folder.h"

#include <QFile>
#include <QTemporaryDir>

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
    device->AddSong(0, u"title"_s, program.writeFile(u"s.mp3"_s, "bytes"), u"0"_s);
    ASSERT_EQ(device->Songs(0, 0).size(), 1u);
    EXPECT_EQ(device->Songs(0, 0)[0].size, 5);
    // A refusal raised inside the plugin reaches the program as the contract's error.
    EXPECT_THROW(device->Folders(7), DeviceError);
    device->Close();
}

struct CreationFailure {
    const char* what;
    QString progId;
    QByteArray pluginBytes;  // written as the plugin file; none when empty
};

void PrintTo(const CreationFailure& row, std::ostream* os) {
    *os << row.what;
}

class CreationFailureTest : public ::testing::TestWithParam<CreationFailure> {};

TEST_P(CreationFailureTest, IsADeviceError) {
    QTemporaryDir components;
    if (!GetParam().pluginBytes.isEmpty()) {
        QFile plugin(components.filePath(u"libRio500Remix.so"_s));
        ASSERT_TRUE(plugin.open(QIODevice::WriteOnly));
        plugin.write(GetParam().pluginBytes);
    }
    const QString folder = GetParam().progId == kPlayerProgId ? components.path() : componentsFolder();
    try {
        createDevice(GetParam().progId, folder, components.filePath(u"player"_s));
        FAIL() << "created";
    } catch (const DeviceError& error) {
        EXPECT_FALSE(error.description().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CreationFailureTest,
    ::testing::Values(CreationFailure{"missing", kPlayerProgId, {}},
                      CreationFailure{"not_a_plugin", kPlayerProgId,
                                      QByteArray("\x7f"
                                                 "ELF garbage",
                                                 12)},
                      CreationFailure{"unknown_progid", QStringLiteral("Rio500Remix.Rio600"), {}}),
    [](const ::testing::TestParamInfo<CreationFailure>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace tunedeck::testing
