// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "program_version.h"

namespace tunedeck::testing {
namespace {

using StartupTest = WindowTest;

// How the window opened: its place in twips (when maximised the place it is restored to), the display font,
// the splitter and whether it is maximised. Twips become whole pixels, so 8000 twips (533.3 pixels at 96 dots
// per inch) come back as 7995.
QString opened(const frmTunedeck& w) {
    const QRect r = w.isMaximized() ? w.normalGeometry() : QRect(w.x(), w.y(), w.width(), w.height());
    const auto t = [&](int pixels) { return QString::number(w.twips().toTwips(pixels)); };
    return t(r.x()) + u","_s + t(r.y()) + u" "_s + t(r.width()) + u"x"_s + t(r.height()) + u" "_s +
           w.displayFontName() + QString::number(w.displayFontSize()) + u" "_s +
           QString::number(w.splitterTop()) + (w.isMaximized() ? u" maximised"_s : u" normal"_s);
}

// The first start (an empty section), then stored settings; the end by 終了's key, Ctrl+X, which closes the
// window and the player and writes what the close button writes. The geometry goes back only from the normal
// state, not from the minimised window; a maximised window opens maximised again with its normal geometry
// underneath and keeps a splitter below its normal height. The font comes in code page 932; an empty name is
// a name. Values the window cannot take are made usable.
TEST_F(StartupTest, TheWindowOpensAsStoredAndTheShutdownWritesWhatItsStateAllows) {
    for (const auto& [file, open, state, written] :
         {std::tuple{QByteArray(), u"0,0 7995x6000 MS UI Gothic9 2000 normal"_s, Qt::WindowMinimized,
                     QByteArray("Separate=2000\r\nWindowState=1\r\n")},
          {QByteArray("WindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n"
                      "FontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\nfontsize=10pt\r\n"),
           u"-300,-120 9000x7005 ＭＳ ゴシック10 2000 normal"_s, Qt::WindowNoState,
           QByteArray("Separate=2000\r\nWindowState=0\r\nWindowTop=-120\r\nWindowLeft=-300\r\n"
                      "WindowWidth=9000\r\nWindowHeight=7005\r\n")},
          {"WindowState=2\r\nWindowTop=150\r\nWindowLeft=300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n"
           "Separate=7000\r\n",
           u"300,150 9000x7005 MS UI Gothic9 7000 maximised"_s, Qt::WindowMaximized,
           "Separate=7000\r\nWindowState=2\r\n"},
          {"WindowState=70000\r\nWindowWidth=0\r\nWindowHeight=-5\r\nSeparate=-4000\r\nWindowTop=99999999\r\n"
           "WindowLeft=-99999999\r\nFontName=\r\n",
           u"0,0 7995x6000 9 301 normal"_s, Qt::WindowNoState,
           "Separate=301\r\nWindowState=0\r\nWindowTop=0\r\nWindowLeft=0\r\nWindowWidth=7995\r\nWindowHeight="
           "6000\r\n"}}) {
        folder.writeSettingsBytes("[TUNEDECK]\r\n" + file);
        frmTunedeck& w = start();
        EXPECT_EQ(w.windowTitle() + u" "_s + opened(w), u"Tunedeck "_s + open);
        folder.writeSettingsBytes({});
        w.setWindowState(state);
        deviceLog->calls.clear();
        QTest::keyClick(w.windowHandle(), Qt::Key_X, Qt::ControlModifier);
        EXPECT_TRUE(!w.isVisible() && !w.device() && deviceLog->calls == QStringList{u"Close()"_s})
            << "the window not closed or the player not released";
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\n" + written) << open.toStdString();
    }
}

// The computer pane works; every later device command fails in its own handling, which the refresh reads as
// no player; the shutdown has no player to close. A write folder's problem is said last, over the other
// texts, since it keeps the player from starting too.
TEST_F(StartupTest, MissingComponentAndAFolderThatCannotBeWritten) {
    components = working.path();
    folderProblem = u"保存先フォルダに書き込めません。 /home/u/.local/share/tunedeck"_s;
    workFile(u"song.mp3"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(takeStatusTexts().mid(4),
              QStringList({u"Rio500Remix.dllが登録されていません。"_s, folderProblem}));
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"song.mp3"_s}));
    w.menuRefSong->trigger();
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    expectLeftSound();
    EXPECT_TRUE(window->close() && !window->isVisible());
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), 2000);
}

// Help and version on standard output, exit status 0, even beside a command; anything else refused on
// standard error with status 2, before tunedeck-player opens its store. tunedeck runs where no window can
// open, so a run that tries fails at once instead of waiting for a user.
TEST(CommandLine, AnswersHelpAndVersionOnStandardOutputAndRefusesTheRestOnStandardError) {
    const ProgramFolder scratch;
    const QString version = QLatin1String(program_version::kFull) + u'\n', player = u"tunedeck-player"_s,
                  refused = u"2||tunedeck-player: "_s;
    // The program and its arguments; the status, the start of standard output and of standard error.
    const std::tuple<QString, QStringList, QString> runs[] = {
        {u"tunedeck"_s, {u"--version"_s}, u"0|tunedeck "_s + version + u'|'},
        {u"tunedeck"_s, {u"-h"_s}, u"0|usage: tunedeck [--help | --version]\n"_s},
        {u"tunedeck"_s, {u"song\u001b[2J.mp3"_s}, u"2||tunedeck: unexpected argument 'song\\x1b[2J.mp3'."_s},
        {u"tunedeck"_s, {u"-platform"_s, u"xcb"_s}, u"2||tunedeck: "_s},
        {player, {u"ls"_s, u"-v"_s}, u"0|tunedeck-player "_s + version + u'|'},
        {player, {u"-h"_s, u"status"_s}, u"0|usage: tunedeck-player "_s},
        {player, {u"frobnicate"_s}, refused + u"bad command"_s},
        {player, {}, refused},
        {player, {u"ls"_s, u"extra"_s}, refused},
        {player, {u"status"_s, u"--store"_s}, refused},
        {player, {u"set-speed"_s}, refused},
        {player, {u"set-speed"_s, u"-1"_s}, refused},
        {player, {u"set-speed"_s, u"fast"_s}, refused},
    };
    for (const auto& [program, arguments, answer] : runs) {
        const ProgramRun run = program == player ? scratch.runPlayer(arguments)
                                                 : runProgram(builtProgram(program), arguments,
                                                              {u"QT_QPA_PLATFORM=no-such-platform"_s});
        const QString said = QString::number(run.exitStatus) + u'|' + run.out + u'|' + run.err;
        EXPECT_TRUE(said.startsWith(answer) && said.endsWith(u'|') == answer.startsWith(u'0'))
            << said.toStdString();
    }
    EXPECT_FALSE(QFile::exists(scratch.storePath()));
}

}  // namespace
}  // namespace tunedeck::testing
