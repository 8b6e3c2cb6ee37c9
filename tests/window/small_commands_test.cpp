#include "window_fixture.h"

#include "font_command.h"
#include "program_version.h"
#include "version_command.h"

#include <QProcess>

namespace tunedeck::testing {
namespace {

TEST(SmallCommands, FontSizesRoundHalvesToEvenAndMinorVersionsHaveTwoDigits) {
    for (const auto& [points, rounded] : {std::pair{10.5, 10}, {11.5, 12}, {12.5, 12}, {9.6, 10}})
        EXPECT_EQ(roundedFontSize(points), rounded) << points;
    EXPECT_EQ(versionText(0, 5), "Tunedeck Version 0.05");
    EXPECT_EQ(versionText(1, 123), "Tunedeck Version 1.123");
}

using SmallCommandsTest = WindowTest;

TEST_F(SmallCommandsTest, FontCommandStoresTheChoiceAndACancelAlike) {
    frmTunedeck& w = start();
    prompts.answerFont({"MS UI Gothic", 9});  // a cancelled dialog answers its preset
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=MS UI Gothic\r\nFontSize=9\r\n");
    prompts.answerFont({"IPAGothic", 10.5});
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=IPAGothic\r\nFontSize=10\r\n");
    prompts.answerFont({"IPAGothic", 11.5});
    w.menuFont->trigger();
    const FontChoice preset = prompts.shown().last().font;
    EXPECT_EQ(preset.name + QString::number(preset.pointSize), "IPAGothic10");
    EXPECT_EQ(w.displayFontName() + QString::number(w.displayFontSize()), "IPAGothic12");
}

TEST_F(SmallCommandsTest, VersionBox) {
    start().menuAbout->trigger();
    const ScriptedPrompts::Shown& box = prompts.shown().value(0);
    EXPECT_EQ(box.kind + "|" + box.title + "|" + box.text,
              QString::fromUtf8("message|バージョン情報|") +
                  versionText(program_version::kMajor, program_version::kMinor));
    EXPECT_EQ(box.icon, Prompts::Icon::Information);
}

TEST_F(SmallCommandsTest, ClipboardGetsEachSongNameOnALineOfItsOwn) {
    for (const QStringList& songs :
         {QStringList{"one", QString::fromUtf8("二 曲目"), "three"}, QStringList{}}) {
        auto device = storeDevice();
        device->Open();
        device->Format("0");
        device->AddFolder("folder", "0");
        for (const QString& name : songs)
            device->AddSong(0, name, folder.writeFile("song.mp3", "data"), "0");
        device->Close();
        shell.setClipboardText("before");
        start().menuClipCopy->trigger();
        EXPECT_EQ(shell.clipboardText(), songs.isEmpty() ? QString() : songs.join("\r\n") + "\r\n");
        closeWindow();
    }
}

TEST(CommandLine, AnswersHelpAndVersionAndRefusesTheRest) {
    // Where no window can open, so a run that tries fails at once instead of waiting for a user.
    const auto run = [](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "no-such-platform");
        process.setProcessEnvironment(environment);
        process.start(builtProgram("tunedeck"), arguments);
        EXPECT_TRUE(process.waitForFinished(30'000));
        return QString::number(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1) + "|" +
               process.readAllStandardOutput() + "|" + process.readAllStandardError().left(10);
    };
    EXPECT_EQ(run({"--version"}), QStringLiteral("0|tunedeck %1\n|").arg(program_version::kFull));
    EXPECT_TRUE(run({"-h"}).startsWith("0|usage: tunedeck [--help | --version]\n"));
    for (const QStringList& arguments : {QStringList{"song.mp3"}, {"-platform", "xcb"}, {"--version", "x"}})
        EXPECT_EQ(run(arguments), "2||tunedeck: ") << arguments.join(' ').toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
