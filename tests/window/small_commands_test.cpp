#include "window_fixture.h"

#include "font_command.h"
#include "program_version.h"
#include "version_command.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

TEST(SmallCommands, FontSizesRoundHalvesToEvenAndMinorVersionsHaveTwoDigits) {
    for (const auto& [points, rounded] : {std::pair{10.5, 10}, {11.5, 12}, {12.5, 12}, {9.6, 10}})
        EXPECT_EQ(roundedFontSize(points), rounded) << points;
    EXPECT_EQ(versionText(0, 5), u"Tunedeck Version 0.05"_s);
    EXPECT_EQ(versionText(1, 123), u"Tunedeck Version 1.123"_s);
}

using SmallCommandsTest = WindowTest;

TEST_F(SmallCommandsTest, FontCommandStoresTheChoiceAndACancelAlike) {
    frmTunedeck& w = start();
    prompts.answerFont({u"MS UI Gothic"_s, 9});  // a cancelled dialog answers its preset
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=MS UI Gothic\r\nFontSize=9\r\n");
    prompts.answerFont({u"IPAGothic"_s, 10.5});
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=IPAGothic\r\nFontSize=10\r\n");
    prompts.answerFont({u"IPAGothic"_s, 11.5});
    w.menuFont->trigger();
    const FontChoice preset = prompts.shown().last().font;
    EXPECT_EQ(preset.name + QString::number(preset.pointSize), u"IPAGothic10"_s);
    EXPECT_EQ(w.displayFontName() + QString::number(w.displayFontSize()), u"IPAGothic12"_s);
}

TEST_F(SmallCommandsTest, VersionBox) {
    start().menuAbout->trigger();
    const ScriptedPrompts::Shown& box = prompts.shown().value(0);
    EXPECT_EQ(box.kind + u"|"_s + box.title + u"|"_s + box.text,
              QString::fromUtf8("message|バージョン情報|") +
                  versionText(program_version::kMajor, program_version::kMinor));
    EXPECT_EQ(box.icon, Prompts::Icon::Information);
}

TEST_F(SmallCommandsTest, ClipboardGetsEachSongNameOnALineOfItsOwn) {
    for (const QStringList& songs :
         {QStringList{u"one"_s, QString::fromUtf8("二 曲目"), u"three"_s}, QStringList{}}) {
        auto device = storeDevice();
        device->Open();
        device->Format(u"0"_s);
        device->AddFolder(u"folder"_s, u"0"_s);
        for (const QString& name : songs)
            device->AddSong(0, name, folder.writeFile(u"song.mp3"_s, "data"), u"0"_s);
        device->Close();
        shell.setClipboardText(u"before"_s);
        start().menuClipCopy->trigger();
        EXPECT_EQ(shell.clipboardText(), songs.isEmpty() ? QString() : songs.join(u"\r\n"_s) + u"\r\n"_s);
        closeWindow();
    }
}

TEST(CommandLine, AnswersHelpAndVersionAndRefusesTheRest) {
    // Where no window can open, so a run that tries fails at once instead of waiting for a user.
    const auto run = [](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"no-such-platform"_s);
        process.setProcessEnvironment(environment);
        process.start(builtProgram(u"tunedeck"_s), arguments);
        EXPECT_TRUE(process.waitForFinished(30'000));
        return QString::number(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1) +
               u"|"_s + QString::fromUtf8(process.readAllStandardOutput()) + u"|"_s +
               QString::fromUtf8(process.readAllStandardError().left(10));
    };
    EXPECT_EQ(run({u"--version"_s}),
              QStringLiteral("0|tunedeck %1\n|").arg(QLatin1String(program_version::kFull)));
    EXPECT_TRUE(run({u"-h"_s}).startsWith(u"0|usage: tunedeck [--help | --version]\n"_s));
    for (const QStringList& arguments :
         {QStringList{u"song.mp3"_s}, {u"-platform"_s, u"xcb"_s}, {u"--version"_s, u"x"_s}})
        EXPECT_EQ(run(arguments), u"2||tunedeck: "_s) << arguments.join(QLatin1Char(' ')).toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
