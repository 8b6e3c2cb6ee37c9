#include "window_fixture.h"

#include "cp932.h"
#include "font_command.h"
#include "program_version.h"
#include "version_command.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace tunedeck::testing {
namespace {

TEST(FontSize, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, qint32> cases[] = {{10.5, 10}, {11.5, 12}, {12.5, 12},
                                               {9.49, 9},  {9.51, 10}, {8, 8}};
    for (const auto& [points, rounded] : cases)
        EXPECT_EQ(roundedFontSize(points), rounded) << points;
}

TEST(VersionText, MinorHasAtLeastTwoDigits) {
    EXPECT_EQ(versionText(0, 5), "Tunedeck Version 0.05");
    EXPECT_EQ(versionText(0, 72), "Tunedeck Version 0.72");
    EXPECT_EQ(versionText(1, 123), "Tunedeck Version 1.123");
}

using SmallCommandsTest = WindowTest;

TEST_F(SmallCommandsTest, FontCommandStoresTheChoiceAndACancelAlike) {
    struct Case {
        const char* name;
        QByteArray settingsBefore;
        std::optional<FontChoice> chosen;  // none: cancelled, and the dialog answers its preset
        QString fontName;
        qint32 fontSize;
        QByteArray settingsAfter;
    };
    const QString gothic = QString::fromUtf8("ＭＳ ゴシック");
    const QByteArray stored = "[tunedeck]\r\nFontSize=14\r\nFontName=IPAGothic\r\n";
    const Case cases[] = {
        {"cancel on first use", "", std::nullopt, "MS UI Gothic", 9,
         "[tunedeck]\r\nFontName=MS UI Gothic\r\nFontSize=9\r\n"},
        {"cancel keeps the stored font", stored, std::nullopt, "IPAGothic", 14, stored},
        {"10.5 points", "", FontChoice{gothic, 10.5}, gothic, 10,
         "[tunedeck]\r\nFontName=" + cp932::encode(gothic) + "\r\nFontSize=10\r\n"},
        {"11.5 points", stored, FontChoice{"IPAGothic", 11.5}, "IPAGothic", 12,
         "[tunedeck]\r\nFontSize=12\r\nFontName=IPAGothic\r\n"},
    };
    for (const Case& c : cases) {
        folder.writeSettingsBytes(c.settingsBefore);
        frmTunedeck& w = start();
        const FontChoice preset{w.displayFontName(), double(w.displayFontSize())};
        const QFont screenFont = w.lvwSong->font();
        const qsizetype shownBefore = prompts.shown().size();
        prompts.answerFont(c.chosen.value_or(preset));
        w.menuFont->trigger();
        ASSERT_EQ(prompts.shown().size(), shownBefore + 1) << c.name;
        EXPECT_EQ(prompts.shown().last().font.name, preset.name) << c.name;
        EXPECT_EQ(prompts.shown().last().font.pointSize, preset.pointSize) << c.name;
        EXPECT_EQ(w.displayFontName(), c.fontName) << c.name;
        EXPECT_EQ(w.displayFontSize(), c.fontSize) << c.name;
        EXPECT_EQ(w.lvwSong->font(), screenFont) << c.name;
        EXPECT_EQ(folder.settingsBytes(), c.settingsAfter) << c.name;
        closeWindow();
    }
}

TEST_F(SmallCommandsTest, TheChosenFontOutlivesARestart) {
    start();
    prompts.answerFont({"IPAGothic", 12.5});
    window->menuFont->trigger();
    closeWindow();
    frmTunedeck& w = start();
    EXPECT_EQ(w.displayFontName(), "IPAGothic");
    EXPECT_EQ(w.displayFontSize(), 12);
}

TEST_F(SmallCommandsTest, VersionBoxShowsMajorAndMinor) {
    frmTunedeck& w = start();
    w.menuAbout->trigger();
    ASSERT_EQ(prompts.shown().size(), 1);
    const ScriptedPrompts::Shown& box = prompts.shown().first();
    EXPECT_EQ(box.kind, "message");
    EXPECT_EQ(box.text, versionText(program_version::kMajor, program_version::kMinor));
    EXPECT_EQ(box.title, QString::fromUtf8("バージョン情報"));
    EXPECT_EQ(box.icon, Prompts::Icon::Information);
}

TEST_F(SmallCommandsTest, ClipboardGetsEachSongNameOnALineOfItsOwn) {
    const QStringList names[] = {{"one", QString::fromUtf8("二 曲目"), "three"}, {}};
    for (const QStringList& songs : names) {
        auto device = storeDevice();
        device->Open();
        device->Format("0");
        device->AddFolder("folder", "0");
        for (const QString& name : songs)
            device->AddSong(0, name, folder.writeFile("song.mp3", QByteArray(100, 'x')), "0");
        device->Close();
        frmTunedeck& w = start();
        shell.setClipboardText("before");
        w.menuClipCopy->trigger();
        EXPECT_EQ(shell.clipboardText(), songs.isEmpty() ? QString() : songs.join("\r\n") + "\r\n");
        closeWindow();
    }
}

struct Finished {
    int exitCode;
    QString out, err;
};

// Runs the program where no window can open, so one that tries fails instead of waiting for a user.
Finished runProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "no-such-platform");
    process.setProcessEnvironment(environment);
    process.start(builtProgram("tunedeck"), arguments);
    EXPECT_TRUE(process.waitForFinished(30'000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, AnswersHelpAndVersionAndRefusesTheRest) {
    const Finished version = runProgram({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("tunedeck %1\n").arg(program_version::kFull));
    const Finished help = runProgram({"-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: tunedeck")) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty());
    for (const QStringList& arguments : {QStringList{"--fullscreen"}, QStringList{"song.mp3"},
                                         QStringList{"-platform", "xcb"}, QStringList{"--version", "x"}}) {
        const Finished refused = runProgram(arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(refused.out.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(refused.err.startsWith("tunedeck: ")) << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains("usage: tunedeck")) << refused.err.toStdString();
    }
}

}  // namespace
}  // namespace tunedeck::testing
