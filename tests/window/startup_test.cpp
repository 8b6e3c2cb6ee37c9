#include "window_fixture.h"

#include <QCoreApplication>
#include <QMenuBar>

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

TEST_F(StartupTest, FirstStartWithoutSettingsFile) {
    frmTunedeck& w = start();
    EXPECT_EQ(w.windowTitle(), u"Tunedeck"_s);
    EXPECT_EQ(twipsRect(w), u"0,0 7995x6000"_s);
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    EXPECT_EQ(w.splitterTop(), 2000);
    EXPECT_EQ(w.displayFontName(), u"MS UI Gothic"_s);
    EXPECT_EQ(w.displayFontSize(), 9);
    EXPECT_TRUE(w.optRam[0]->isChecked());
    EXPECT_EQ(w.memory(), PlayerMemory::Internal);
    EXPECT_EQ(w.memoryName(), QString::fromUtf8("内蔵"));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.stbRioInfo->panelText(1), u"Ready"_s);
}

TEST_F(StartupTest, ControlsMenusAndColumnsAsDesigned) {
    frmTunedeck& w = start();
    const auto headers = [](const ListView* list) {
        QStringList captions;
        for (int i = 0; i < list->model()->columnCount(); ++i)
            captions << list->model()->headerData(i, Qt::Horizontal).toString() + u"/"_s +
                            QString::number(list->columnWidth(i));
        return captions.join(QLatin1Char(' '));
    };
    EXPECT_EQ(headers(w.lvwFile),
              QString::fromUtf8("ファイル名/133 アーティスト/133 タイトル/200 ファイルサイズ/80"));
    EXPECT_EQ(headers(w.lvwSong), QString::fromUtf8("曲名/267 フォルダ名/67 ファイルサイズ/80 場所/20"));
    const auto alignment = [](const ListView* list, int column) {
        return list->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
    };
    EXPECT_TRUE(alignment(w.lvwFile, 3) & Qt::AlignRight);
    EXPECT_TRUE(alignment(w.lvwSong, 3) & Qt::AlignHCenter);
    for (const ListView* list : {w.lvwFile, w.lvwSong}) {
        EXPECT_TRUE(list->showGrid());
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    const auto captions = [](const QMenu* menu) {
        QStringList items;
        for (const QAction* a : menu->actions())
            items << (a->isSeparator()
                          ? a->objectName()
                          : a->objectName() + u"="_s + a->text() +
                                (a->shortcut().isEmpty() ? QString()
                                                         : u"["_s + a->shortcut().toString() + u"]"_s));
        return menu->title() + u": "_s + items.join(u", "_s);
    };
    EXPECT_EQ(
        captions(w.menuFile),
        QString::fromUtf8("操作(&D): menuMkDir=Rioにフォルダを作る(&F), menuRmDir=現在のフォルダを削除(&D), "
                          "menuFormat=メモリフォーマット, menuSep2, menuFont=フォント設定(&P), "
                          "menuCustom=文字列のカスタマイズ(&C), menuSep1, menuEnd=終了(&X)[Ctrl+X]"));
    EXPECT_EQ(captions(w.menuSongList),
              QString::fromUtf8(
                  "曲リスト側: menuDel=削除(&D)[Del], menuDown=ダウンロード, "
                  "menuRefSong=最新の状態に更新(&R), menuClipCopy=リストをクリップボードにコピー(&C)"));
    EXPECT_EQ(captions(w.menuFileList), QString::fromUtf8("ファイルリスト側: menuSend=Rioへ転送(&S)"));
    EXPECT_EQ(captions(w.menuFolder), QString::fromUtf8("フォルダツリー: menuFolRef=最新の状態に更新(&R)"));
    EXPECT_EQ(captions(w.menuHelp), QString::fromUtf8("ヘルプ(&H): menuAbout=バージョン情報(&A)"));

    QStringList menuBar;
    for (const QAction* a : w.menuBar()->actions())
        menuBar << a->text();
    EXPECT_EQ(menuBar.join(QLatin1Char('|')), QString::fromUtf8("操作(&D)|ヘルプ(&H)"));

    EXPECT_EQ(w.optRam[0]->text(), QString::fromUtf8("内蔵"));
    EXPECT_EQ(w.optRam[1]->text(), u"SmartMedia"_s);
    EXPECT_EQ(w.optRam[0]->parentWidget(), w.fraSong);
    EXPECT_EQ(w.lvwSong->parentWidget(), w.fraSong);
    ASSERT_NE(w.stbRioInfo->panel(u"statMem"_s), nullptr);
    w.stbRioInfo->setPanelText(2, u"x"_s);
    EXPECT_EQ(w.stbRioInfo->panel(u"statMem"_s)->text(), u"x"_s) << "statMem is panel 2";
    EXPECT_EQ(w.picSep->cursor().shape(), Qt::SizeVerCursor);

    // Tab moves from the drive list through the panes in the designed order.
    QStringList tabOrder;
    for (QWidget* at = w.drvList; tabOrder.size() < 7; at = at->nextInFocusChain())
        if (at->focusPolicy() & Qt::TabFocus)
            tabOrder << at->objectName();
    EXPECT_EQ(tabOrder.join(QLatin1Char(' ')),
              u"drvList dirlst lvwFile optRam(0) optRam(1) cmbFolder lvwSong"_s);
}

TEST_F(StartupTest, ShutdownWritesWhatTheWindowStateAllows) {
    struct Case {
        const char* name;
        Qt::WindowState state;
        QByteArray expected;
    };
    const Case cases[] = {
        {"normal", Qt::WindowNoState,
         "[tunedeck]\r\nSeparate=2400\r\nWindowState=0\r\nWindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth="
         "9000\r\n"
         "WindowHeight=7005\r\n"},
        {"minimised", Qt::WindowMinimized, "[tunedeck]\r\nSeparate=2400\r\nWindowState=1\r\n"},
        {"maximised", Qt::WindowMaximized, "[tunedeck]\r\nSeparate=2400\r\nWindowState=2\r\n"},
    };
    for (const Case& c : cases) {
        folder.writeSettingsBytes(
            "[tunedeck]\r\nSeparate=2400\r\nWindowTop=-120\r\nWindowLeft=-300\r\n"
            "WindowWidth=9000\r\nWindowHeight=7005\r\n");
        frmTunedeck& w = start();
        EXPECT_EQ(twipsRect(w), u"-300,-120 9000x7005"_s) << c.name;
        folder.writeSettingsBytes({});
        w.setWindowState(c.state);
        closeWindow();
        EXPECT_EQ(folder.settingsBytes(), c.expected) << c.name;
    }
}

TEST_F(StartupTest, MaximisedShutdownKeepsTheNormalGeometry) {
    folder.writeSettingsBytes(
        "[tunedeck]\r\nWindowTop=150\r\nWindowLeft=300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n");
    start().setWindowState(Qt::WindowMaximized);
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"WindowState"_s, -1), 2);
    EXPECT_EQ(folder.settings().readInt(u"WindowWidth"_s, -1), 9000);

    frmTunedeck& again = start();
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(again.normalGeometry(), QRect(20, 10, 600, 467));  // restoring it returns to 300,150 9000x7005
}

TEST_F(StartupTest, FontNameAndSizeFromTheSettingsFile) {
    struct Case {
        QByteArray file;
        QString name;
        int size;
    };
    const Case cases[] = {
        {"[tunedeck]\r\nFontName=\r\nFontSize=12\r\n", u""_s, 12},
        {"[tunedeck]\r\nFontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\n",
         QString::fromUtf8("ＭＳ ゴシック"), 9},
        {"[TUNEDECK]\r\nfontsize=10pt\r\n", u"MS UI Gothic"_s, 10},
    };
    for (const Case& c : cases) {
        folder.writeSettingsBytes(c.file);
        frmTunedeck& w = start();
        EXPECT_EQ(w.displayFontName(), c.name);
        EXPECT_EQ(w.displayFontSize(), c.size);
        closeWindow();
    }
}

TEST_F(StartupTest, ValuesTheWindowCannotTakeNeverLoseTheFile) {
    folder.writeSettingsBytes(
        "; keep me\r\n[tunedeck]\r\nWindowState=70000\r\nWindowWidth=0\r\nWindowHeight=-5\r\n"
        "Separate=-4000\r\nWindowTop=99999999\r\nWindowLeft=99999999\r\n[other]\r\nx=1\r\n");
    frmTunedeck& w = start();
    EXPECT_EQ(twipsRect(w), u"0,0 7995x6000"_s);
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    EXPECT_EQ(w.splitterTop(), 301);
    EXPECT_EQ(w.lvwFile->height(), w.twips().toPixels(301)) << "the file list reaches down to the splitter";
    closeWindow();
    EXPECT_EQ(folder.settingsBytes(),
              "; keep "
              "me\r\n[tunedeck]\r\nWindowState=0\r\nWindowWidth=7995\r\nWindowHeight=6000\r\nSeparate=301\r\n"
              "WindowTop=0\r\nWindowLeft=0\r\n[other]\r\nx=1\r\n");
}

TEST_F(StartupTest, AMaximisedWindowKeepsASplitterBelowItsNormalHeight) {
    folder.writeSettingsBytes("[tunedeck]\r\nWindowState=2\r\nWindowHeight=6000\r\nSeparate=7000\r\n");
    frmTunedeck& w = start();
    EXPECT_EQ(w.splitterTop(), 7000);
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, 0), 7000);
}

// A close request that arrives while the window starts up or talks to the player is refused; the work goes
// on and the window stays usable.
TEST_F(StartupTest, CloseRequestsDuringStartUpOrARefreshAreRefused) {
    for (const QString& during : {u"ディスクのフォルダ情報を取得中..."_s, u"曲リスト取得中..."_s}) {
        SCOPED_TRACE(during.toStdString());
        folder.writeSettingsBytes({});
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
        EXPECT_NE(w.device(), nullptr);
        EXPECT_EQ(w.stbRioInfo->panelText(1), u"Ready"_s);
        closeWindow();
        EXPECT_FALSE(w.isVisible());
    }
}

class RenamedStartupTest : public WindowTest {
  protected:
    RenamedStartupTest() : WindowTest(QStringLiteral("TUNEDECK2")) {}
};

TEST_F(RenamedStartupTest, ARenamedProgramUsesItsOwnFileAndSection) {
    folder.writeFile(u"tunedeck.INI"_s, "[tunedeck]\r\nSeparate=3000\r\n");
    frmTunedeck& w = start();
    EXPECT_EQ(w.splitterTop(), 2000);
    closeWindow();
    EXPECT_TRUE(folder.settingsBytes().startsWith("[TUNEDECK2]\r\nSeparate=2000\r\n"));
}

TEST_F(StartupTest, MissingComponent) {
    componentRegistered = false;
    frmTunedeck& w = start();
    EXPECT_EQ(w.stbRioInfo->panelText(1), QString::fromUtf8("Rio500Remix.dllが登録されていません。"));
    EXPECT_EQ(w.device(), nullptr);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.lvwSong->itemCount(), 0);
    EXPECT_EQ(w.cmbFolder->count(), 0);
    // Every later device command fails in its own handling; the refresh reads it as no player.
    w.menuRefSong_Click();
    EXPECT_EQ(w.stbRioInfo->panelText(1), QString::fromUtf8("Rio500が接続されていません。"));
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), 2000);
}

TEST_F(StartupTest, MenuEndAndTheCloseButtonEndAlike) {
    for (const bool byMenu : {true, false}) {
        folder.writeSettingsBytes({});
        frmTunedeck& w = start();
        if (byMenu)
            w.menuEnd->trigger();
        else
            w.close();
        QCoreApplication::processEvents();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(deviceCalls->last(), u"Close()"_s);
        EXPECT_EQ(w.device(), nullptr);
        EXPECT_EQ(folder.settingsBytes(),
                  "[tunedeck]\r\nSeparate=2000\r\nWindowState=0\r\nWindowTop=0\r\nWindowLeft="
                  "0\r\nWindowWidth=7995\r\n"
                  "WindowHeight=6000\r\n");
    }
}

}  // namespace
}  // namespace tunedeck::testing
