#include "window_fixture.h"

#include "input_state.h"
#include "number_format.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

class DeviceViewTest : public WindowTest {
  protected:
    // Puts songs of the given sizes into folder `folderIndex` of the internal memory, through a device
    // object of our own, as another program would between the window's brackets.
    void addSongs(qint16 folderIndex, std::initializer_list<qint64> sizes, const QString& memory = u"0"_s) {
        auto device = storeDevice();
        device->Open();
        for (const qint64 size : sizes) {
            const QString path = folder.writeFile(u"song.mp3"_s, QByteArray(size, 'x'));
            device->AddSong(folderIndex, QStringLiteral("song %1").arg(size), path, memory);
        }
        device->Close();
    }

    void addFolder(const QString& name, const QString& memory = u"0"_s) {
        auto device = storeDevice();
        device->Open();
        device->AddFolder(name, memory);
        device->Close();
    }

    void format(const QString& memory) {
        auto device = storeDevice();
        device->Open();
        device->Format(memory);
        device->Close();
    }

    QStringList folderNames() const {
        QStringList names;
        for (int i = 0; i < window->cmbFolder->count(); ++i)
            names << window->cmbFolder->itemText(i);
        return names;
    }

    QString memoryPanel() const { return window->stbRioInfo->panelText(2); }
};

TEST_F(DeviceViewTest, StartUpReadsThePlayerInOrder) {
    addSongs(0, {1000000, 2500000});
    frmTunedeck& w = start();
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"ExtFlash()"_s, u"Folders(0)"_s, u"Songs(0, 0)"_s,
                                              u"AvailableMemory(\"0\")"_s, u"Close()"_s}));
    // The computer pane fills first, through the drive change.
    EXPECT_EQ(takeStatusTexts(), QStringList({QString::fromUtf8("ディスクのフォルダ情報を取得中..."),
                                              QString::fromUtf8("ファイル情報を取得中..."), u"Ready"_s,
                                              u"Ready"_s, QString::fromUtf8("Rio500を探しています..."),
                                              QString::fromUtf8("曲リスト取得中..."), u"Ready"_s}));
    const QString folderName = w.cmbFolder->itemText(0);
    EXPECT_EQ(listRows(*w.lvwSong),
              QStringList({u"song 1000000|"_s + folderName + QString::fromUtf8("|976KB|内蔵"),
                           u"song 2500000|"_s + folderName + QString::fromUtf8("|2,441KB|内蔵")}));
    const qint64 freeKb = (64 * 1024 * 1024 - 3500000) / 1024;
    EXPECT_EQ(memoryPanel(), QString::fromUtf8("使用:3,417KB 空き:") + groupedNumber(freeKb) + u"KB"_s);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(w.isBusy());
    EXPECT_TRUE(w.optRam[1]->isEnabled());  // a new player has an empty card
}

TEST_F(DeviceViewTest, SizesAreWholeKilobytesWithTheRestDropped) {
    addSongs(0, {1023, 1024, 1048575, 2500000});
    start();
    QStringList sizes;
    for (int row = 0; row < window->lvwSong->itemCount(); ++row)
        sizes << window->lvwSong->subItemText(row, 2);
    EXPECT_EQ(sizes, QStringList({u"0KB"_s, u"1KB"_s, u"1,023KB"_s, u"2,441KB"_s}));
    EXPECT_TRUE(memoryPanel().startsWith(QString::fromUtf8("使用:3,467KB 空き:")));  // 3,550,622 bytes
}

TEST_F(DeviceViewTest, NoPlayer) {
    addSongs(0, {2048});
    frmTunedeck& w = start();
    const QString panel2 = memoryPanel();
    runPlayerCommand({u"disconnect"_s});
    takeStatusTexts();
    recorder->clearCalls();

    w.lvwSong_KeyDown(input::kKeyF5, 0);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s}));  // not closed on this path
    EXPECT_EQ(takeStatusTexts(), QStringList({QString::fromUtf8("Rio500を探しています..."),
                                              QString::fromUtf8("Rio500が接続されていません。")}));
    EXPECT_EQ(w.lvwSong->itemCount(), 0);
    EXPECT_EQ(w.cmbFolder->count(), 1);  // combo box, card option and memory panel keep what they showed
    EXPECT_EQ(memoryPanel(), panel2);
    EXPECT_TRUE(w.optRam[1]->isEnabled());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(w.isBusy());

    runPlayerCommand({u"connect"_s});
    w.menuRefSong_Click();
    EXPECT_EQ(w.lvwSong->itemCount(), 1);
}

TEST_F(DeviceViewTest, AMemoryWithoutFolders) {
    format(u"0"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"ExtFlash()"_s, u"Folders(0)"_s,
                                              u"AvailableMemory(\"0\")"_s, u"Close()"_s}));
    EXPECT_EQ(w.cmbFolder->count(), 0);
    EXPECT_EQ(w.cmbFolder->currentIndex(), -1);
    EXPECT_EQ(w.lvwSong->itemCount(), 0);
    EXPECT_EQ(memoryPanel(), QString::fromUtf8("使用:0KB 空き:65,536KB"));
}

TEST_F(DeviceViewTest, ReloadChoosesTheFirstFolderAndOtherwiseKeepsTheChosenOne) {
    addFolder(u"second"_s);
    addSongs(1, {4096});
    frmTunedeck& w = start();
    EXPECT_EQ(folderNames().size(), 2);

    recorder->clearCalls();
    w.cmbFolder->setCurrentIndex(1);  // the user's choice lists that folder without reading the folders again
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"ExtFlash()"_s, u"Songs(0, 1)"_s,
                                              u"AvailableMemory(\"0\")"_s, u"Close()"_s}));
    EXPECT_EQ(listRows(*w.lvwSong), QStringList({QString::fromUtf8("song 4096|second|4KB|内蔵")}));

    w.menuRefSong_Click();
    EXPECT_EQ(w.cmbFolder->currentIndex(), 1);

    recorder->clearCalls();
    w.lvwSong_KeyDown(input::kKeyF5,
                      1);  // Shift+F5 refreshes like F5: the folders again, the first one chosen
    EXPECT_EQ(recorder->calls().count(u"Open()"_s),
              1);  // the refresh's own choice of folder starts no second one
    EXPECT_EQ(w.cmbFolder->currentIndex(), 0);
    EXPECT_EQ(w.lvwSong->itemCount(), 0);
}

// Keys reach the song list through the window's focus, as a user's key presses do; a refresh disables the
// window and must give the focus back, or the second F5 goes nowhere.
TEST_F(DeviceViewTest, KeysOnTheSongList) {
    frmTunedeck& w = start();
    EXPECT_EQ(w.focusWidget(), w.drvList);  // the first control in the tab order
    w.lvwSong->setFocus();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int refreshes;
    };
    const Case cases[] = {
        {Qt::Key_F5, Qt::NoModifier, 1},      {Qt::Key_F5, Qt::ShiftModifier, 1},
        {Qt::Key_F5, Qt::ControlModifier, 1}, {Qt::Key_F4, Qt::NoModifier, 0},
        {Qt::Key_A, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        recorder->clearCalls();
        QTest::keyClick(w.windowHandle(), c.key, c.modifiers);
        EXPECT_EQ(recorder->calls().count(u"Folders(0)"_s), c.refreshes) << c.key;
        EXPECT_EQ(w.focusWidget(), w.lvwSong);
    }
}

TEST_F(DeviceViewTest, TheCardOption) {
    addFolder(u"card"_s, u"1"_s);
    addSongs(0, {3072}, u"1"_s);
    frmTunedeck& w = start();
    recorder->clearCalls();
    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    EXPECT_EQ(w.memory(), PlayerMemory::Card);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"ExtFlash()"_s, u"Folders(1)"_s, u"Songs(1, 0)"_s,
                                              u"AvailableMemory(\"1\")"_s, u"Close()"_s}));
    ASSERT_EQ(w.lvwSong->itemCount(), 1);
    EXPECT_EQ(w.lvwSong->subItemText(0, 3), QString::fromUtf8("外部"));

    // The card taken out while it is the chosen memory: its option goes grey, the choice stays, and the
    // player's refusal to read it is reported.
    runPlayerCommand({u"remove-card"_s});
    w.menuRefSong_Click();
    EXPECT_FALSE(w.optRam[1]->isEnabled());
    EXPECT_EQ(w.memory(), PlayerMemory::Card);
    EXPECT_TRUE(
        w.stbRioInfo->panelText(1).startsWith(QString::fromUtf8("曲リストの取得に失敗しました。 Err:")));
    EXPECT_TRUE(w.isEnabled());

    QTest::mouseClick(w.optRam[0], Qt::LeftButton);
    EXPECT_EQ(w.memory(), PlayerMemory::Internal);
    EXPECT_EQ(w.stbRioInfo->panelText(1), u"Ready"_s);
}

class DeviceViewFailureTest : public DeviceViewTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DeviceViewFailureTest, AFailureAfterOpenLeavesTheWindowUsable) {
    addSongs(0, {2048});
    frmTunedeck& w = start();
    recorder->failCall(QLatin1String(GetParam()), 1, QStringLiteral("故障"));
    w.lvwSong_KeyDown(input::kKeyF5, 0);
    EXPECT_EQ(w.stbRioInfo->panelText(1), QString::fromUtf8("曲リストの取得に失敗しました。 Err:故障"));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(w.isBusy());
    EXPECT_EQ(recorder->calls().last(), u"Close()"_s);

    // The device was closed: the next refresh opens it again and works.
    w.lvwSong_KeyDown(input::kKeyF5, 0);
    EXPECT_EQ(w.stbRioInfo->panelText(1), u"Ready"_s);
    EXPECT_EQ(w.lvwSong->itemCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(EveryMember, DeviceViewFailureTest,
                         ::testing::Values("ExtFlash", "Folders", "Songs", "AvailableMemory", "Close"));

}  // namespace
}  // namespace tunedeck::testing
