#include "window_fixture.h"

#include "program_version.h"

#include <QCoreApplication>
#include <QMenuBar>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using StartupTest = WindowTest;

// The window's place in twips. Twips become whole pixels, so 8000 twips (533.3 pixels at 96 dots per inch)
// come back as 7995.
QString twipsRect(const frmTunedeck& w) {
    const Twips& t = w.twips();
    return QStringLiteral("%1,%2 %3x%4")
        .arg(t.toTwips(w.x()))
        .arg(t.toTwips(w.y()))
        .arg(t.toTwips(w.width()))
        .arg(t.toTwips(w.height()));
}

// The first start, the controls as a user meets them, and the end by the menu, which closes the player and
// writes what the close button writes (every other test closes by the button).
TEST_F(StartupTest, FirstStartAndTheEndByTheMenu) {
    frmTunedeck& w = start();
    EXPECT_EQ(w.windowTitle(), u"Tunedeck"_s);
    EXPECT_EQ(twipsRect(w), u"0,0 7995x6000"_s);
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    EXPECT_EQ(w.displayFontName() + QString::number(w.displayFontSize()), u"MS UI Gothic9"_s);
    EXPECT_TRUE(w.optRam[0]->isChecked());
    EXPECT_EQ(lastStatus(), u"Ready"_s);
    EXPECT_EQ(w.lvwSong->model()->headerData(3, Qt::Horizontal).toString(), u"場所"_s);
    EXPECT_EQ(w.menuBar()->actions().value(1)->text(), u"ヘルプ(&H)"_s);
    EXPECT_EQ(w.menuEnd->text() + w.menuEnd->shortcut().toString(), u"終了(&X)Ctrl+X"_s);
    EXPECT_EQ(w.picSep->cursor().shape(), Qt::SizeVerCursor);
    QStringList tabOrder;
    for (QWidget* at = w.drvList; tabOrder.size() < 7; at = at->nextInFocusChain())
        if (at->focusPolicy() & Qt::TabFocus)
            tabOrder << at->objectName();
    EXPECT_EQ(tabOrder.join(QLatin1Char(' ')),
              u"drvList dirlst lvwFile optRam(0) optRam(1) cmbFolder lvwSong"_s);

    w.menuEnd->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(deviceCalls->last(), u"Close()"_s);
    EXPECT_EQ(w.device(), nullptr);
    EXPECT_EQ(
        folder.settingsBytes(),
        "[tunedeck]\r\nSeparate=2000\r\nWindowState=0\r\nWindowTop=0\r\nWindowLeft=0\r\nWindowWidth=7995\r\n"
        "WindowHeight=6000\r\n");
}

// The geometry goes back only from the normal state; a maximised window opens maximised again with its normal
// geometry underneath and keeps a splitter below its normal height.
TEST_F(StartupTest, ShutdownWritesWhatTheWindowStateAllows) {
    const struct {
        QByteArray file;
        Qt::WindowState state;
        QByteArray written;
    } cases[] = {
        {"WindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\nFontName="
         "\x82\x6c\x82\x72 "
         "\x83\x53\x83\x56\x83\x62\x83\x4e\r\nfontsize=10pt\r\n",
         Qt::WindowNoState,
         "Separate=2000\r\nWindowState=0\r\nWindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth=9000\r\n"
         "WindowHeight=7005\r\n"},
        {"Separate=2400\r\n", Qt::WindowMinimized, "Separate=2400\r\nWindowState=1\r\n"},
        {"WindowState=2\r\nWindowTop=150\r\nWindowLeft=300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n"
         "Separate=7000\r\n",
         Qt::WindowMaximized, "Separate=7000\r\nWindowState=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        folder.writeSettingsBytes("[TUNEDECK]\r\n" + c.file);
        frmTunedeck& w = start();
        if (c.state == Qt::WindowNoState) {
            EXPECT_EQ(twipsRect(w), u"-300,-120 9000x7005"_s);
            EXPECT_EQ(w.displayFontName() + QString::number(w.displayFontSize()), u"ＭＳ ゴシック10"_s);
        }
        if (c.state == Qt::WindowMaximized) {
            EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
            EXPECT_EQ(w.normalGeometry(), QRect(20, 10, 600, 467));  // 300,150 9000x7005 in twips
            EXPECT_EQ(w.splitterTop(), 7000);
        }
        folder.writeSettingsBytes({});
        w.setWindowState(c.state);
        closeWindow();
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\n" + c.written);
    }
}

TEST_F(StartupTest, ValuesTheWindowCannotTakeNeverLoseTheFile) {
    folder.writeSettingsBytes(
        "; keep me\r\n[tunedeck]\r\nWindowState=70000\r\nWindowWidth=0\r\nWindowHeight=-5\r\n"
        "Separate=-4000\r\nWindowTop=99999999\r\nWindowLeft=99999999\r\nFontName=\r\n[other]\r\nx=1\r\n");
    frmTunedeck& w = start();
    EXPECT_EQ(twipsRect(w), u"0,0 7995x6000"_s);
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    EXPECT_EQ(w.splitterTop(), 301);
    EXPECT_EQ(w.lvwFile->height(), w.twips().toPixels(301)) << "the file list reaches down to the splitter";
    EXPECT_EQ(w.displayFontName(), QString()) << "an empty name is a name";
    closeWindow();
    EXPECT_EQ(folder.settingsBytes(),
              "; keep "
              "me\r\n[tunedeck]\r\nWindowState=0\r\nWindowWidth=7995\r\nWindowHeight=6000\r\nSeparate=301\r\n"
              "WindowTop=0\r\nWindowLeft=0\r\nFontName=\r\n[other]\r\nx=1\r\n");
}

// A close request that arrives while the window starts up or talks to the player is refused; the work goes
// on and the window stays usable.
TEST_F(StartupTest, CloseRequestsDuringStartUpOrARefreshAreRefused) {
    for (const QString& during : {u"ディスクのフォルダ情報を取得中..."_s, u"曲リスト取得中..."_s}) {
        SCOPED_TRACE(during.toStdString());
        int requests = 0;
        onStatusText = [&](const QString& text) {
            if (text == during && window->close())
                ADD_FAILURE() << "the window closed";
            requests += text == during;
        };
        frmTunedeck& w = start();
        w.menuRefSong_Click();
        onStatusText = {};
        EXPECT_GE(requests, 1);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(lastStatus(), u"Ready"_s);
        closeWindow();
        EXPECT_FALSE(w.isVisible());
    }
}

TEST_F(StartupTest, MissingComponent) {
    componentRegistered = false;
    working.write(u"song.mp3"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(lastStatus(), u"Rio500Remix.dllが登録されていません。"_s);
    EXPECT_EQ(names(*w.lvwFile), QStringList({u"song.mp3"_s})) << "the computer pane works";
    EXPECT_EQ(w.device(), nullptr);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.lvwSong->itemCount() + w.cmbFolder->count(), 0);
    // Every later device command fails in its own handling; the refresh reads it as no player.
    w.menuRefSong_Click();
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), 2000);
}

class RenamedStartupTest : public WindowTest {
  protected:
    RenamedStartupTest() : WindowTest(QStringLiteral("TUNEDECK2")) {}
};

TEST_F(RenamedStartupTest, ARenamedProgramUsesItsOwnFileAndSection) {
    folder.writeFile(u"tunedeck.INI"_s, "[tunedeck]\r\nSeparate=3000\r\n");
    EXPECT_EQ(start().splitterTop(), 2000);
    closeWindow();
    EXPECT_TRUE(folder.settingsBytes().startsWith("[TUNEDECK2]\r\nSeparate=2000\r\n"));
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
