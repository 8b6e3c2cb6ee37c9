#include "window_fixture.h"

#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <ostream>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const QStringList kSongs = {u"one"_s, u"two"_s, u"three"_s, u"four"_s};
constexpr int kEmptySpace = -1;  // a row number standing for the list's empty space below the songs

class ReorderSongsTest : public WindowTest {
  protected:
    // Both folders of the internal memory hold the four songs, so that an exchange in the wrong folder shows.
    frmTunedeck& startWithSongs() {
        auto device = storeDevice();
        device->Open();
        device->AddFolder(QStringLiteral("second"), QStringLiteral("0"));
        for (const qint16 folderIndex : {0, 1}) {
            for (const QString& song : kSongs)
                device->AddSong(folderIndex, song, folder.writeFile(u"song.mp3"_s, QByteArray(4096, 'x')),
                                QStringLiteral("0"));
        }
        device->Close();
        return start();
    }

    QPoint pointAt(int row) const {
        const ListView& list = *window->lvwSong;
        if (row != kEmptySpace)
            return list.visualRect(list.model()->index(row, 0)).center();
        const QPoint below(list.columnWidth(0) / 2, list.viewport()->height() - 4);
        EXPECT_EQ(list.positionAt(below), 0);
        return below;
    }

    void press(Qt::MouseButton button, int row) {
        QTest::mousePress(window->lvwSong->viewport(), button, {}, pointAt(row));
    }
    void move(int row) { QTest::mouseMove(window->lvwSong->viewport(), pointAt(row)); }
    void release(Qt::MouseButton button, int row) {
        QTest::mouseRelease(window->lvwSong->viewport(), button, {}, pointAt(row));
    }

    // The song list's pixels of one row as they show now.
    QImage rowImage(int row) const {
        const ListView& list = *window->lvwSong;
        const QRect cell = list.visualRect(list.model()->index(row, 0));
        return list.viewport()->grab(QRect(0, cell.top(), list.viewport()->width(), cell.height())).toImage();
    }
};

struct Gesture {
    const char* name;
    int folderIndex;
    int pressRow;
    int releaseRow;
    QString swapCall;  // empty: no device call at all
    QStringList songsAfter;
};
void PrintTo(const Gesture& g, std::ostream* out) {
    *out << g.name;
}

class GestureTest : public ReorderSongsTest, public ::testing::WithParamInterface<Gesture> {};

TEST_P(GestureTest, ALeftDragExchangesTwoSongsOfTheShownFolder) {
    const Gesture& g = GetParam();
    frmTunedeck& w = startWithSongs();
    w.cmbFolder->setCurrentIndex(g.folderIndex);
    recorder->clearCalls();
    takeStatusTexts();

    press(Qt::LeftButton, g.pressRow);
    move(g.releaseRow);
    release(Qt::LeftButton, g.releaseRow);

    if (g.swapCall.isEmpty()) {
        EXPECT_EQ(recorder->calls(), QStringList());
    } else {
        ASSERT_GE(recorder->calls().size(), 3);
        EXPECT_EQ(recorder->calls().mid(0, 3), QStringList({u"Open()"_s, g.swapCall, u"Close()"_s}));
        // Then the refresh re-reads the same folder.
        EXPECT_EQ(recorder->calls().count(QStringLiteral("Songs(0, %1)").arg(g.folderIndex)), 1);
        EXPECT_EQ(takeStatusTexts().last(), u"Ready"_s);
    }
    EXPECT_EQ(playerSongs(qint16(g.folderIndex)), g.songsAfter);
    EXPECT_EQ(playerSongs(qint16(1 - g.folderIndex)), kSongs);
    EXPECT_EQ(listedSongs(), g.songsAfter);
    EXPECT_EQ(w.lvwSong->tag(), u"-1"_s);  // the pressed position is reset
    EXPECT_EQ(w.lvwSong->markedRow(), -1);
}

INSTANTIATE_TEST_SUITE_P(Gestures, GestureTest,
                         ::testing::Values(Gesture{"FirstOntoFourth",
                                                   0,
                                                   0,
                                                   3,
                                                   u"SwapSong(0, 0, 3, \"0\")"_s,
                                                   {u"four"_s, u"two"_s, u"three"_s, u"one"_s}},
                                           Gesture{"ThirdOntoSecond",
                                                   0,
                                                   2,
                                                   1,
                                                   u"SwapSong(0, 2, 1, \"0\")"_s,
                                                   {u"one"_s, u"three"_s, u"two"_s, u"four"_s}},
                                           Gesture{"InTheSecondFolder",
                                                   1,
                                                   0,
                                                   3,
                                                   u"SwapSong(1, 0, 3, \"0\")"_s,
                                                   {u"four"_s, u"two"_s, u"three"_s, u"one"_s}},
                                           Gesture{"OntoItself", 0, 1, 1, {}, kSongs},
                                           Gesture{"FromEmptySpace", 0, kEmptySpace, 1, {}, kSongs},
                                           Gesture{"OntoEmptySpace", 0, 1, kEmptySpace, {}, kSongs}),
                         [](const ::testing::TestParamInfo<Gesture>& info) {
                             return std::string(info.param.name);
                         });

// The pointer has left the list: a song scrolled out of view lies under it, but nothing is exchanged.
TEST_F(ReorderSongsTest, AReleaseOutsideTheListExchangesNothing) {
    frmTunedeck& w = startWithSongs();
    ListView& list = *w.lvwSong;
    list.resize(list.width(), list.height() - list.viewport()->height() + list.rowViewportPosition(2));
    const QPoint belowTheList(pointAt(3).x(), list.rowViewportPosition(3) + 2);
    ASSERT_FALSE(list.viewport()->rect().contains(belowTheList));
    recorder->clearCalls();

    press(Qt::LeftButton, 0);
    QTest::mouseMove(list.viewport(), belowTheList);
    EXPECT_EQ(list.markedRow(), -1);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, belowTheList);
    EXPECT_EQ(recorder->calls(), QStringList());
    EXPECT_EQ(playerSongs(0), kSongs);
}

// The drag is the exchange, not a range selection: the selection stays on the pressed song, and only the
// song a release would exchange with is marked.
TEST_F(ReorderSongsTest, TheSongToExchangeWithIsMarkedWhileTheButtonIsHeld) {
    frmTunedeck& w = startWithSongs();
    const QImage unmarked = rowImage(3);

    press(Qt::LeftButton, 0);
    EXPECT_EQ(w.lvwSong->markedRow(), -1);
    move(3);
    EXPECT_EQ(w.lvwSong->markedRow(), 3);
    EXPECT_NE(rowImage(3), unmarked);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(w.lvwSong->isItemSelected(row), row == 0) << row;

    move(0);  // back on the pressed song
    EXPECT_EQ(w.lvwSong->markedRow(), -1);
    move(kEmptySpace);
    EXPECT_EQ(w.lvwSong->markedRow(), -1);
    EXPECT_EQ(rowImage(3), unmarked);
    release(Qt::LeftButton, kEmptySpace);
}

// Another button released while the left one is held forgets the pressed song: the left release that
// follows exchanges nothing.
TEST_F(ReorderSongsTest, OtherButtonsForgetThePressedSong) {
    frmTunedeck& w = startWithSongs();
    const struct {
        Qt::MouseButton button;
        bool menuShown;
    } cases[] = {{Qt::RightButton, true}, {Qt::MiddleButton, false}};
    for (const auto& c : cases) {
        recorder->clearCalls();
        press(Qt::LeftButton, 0);
        press(c.button, 3);
        EXPECT_FALSE(w.menuSongList->isVisible()) << c.button;  // the menu comes with the release
        release(c.button, 3);
        EXPECT_EQ(w.menuSongList->isVisible(), c.menuShown) << c.button;
        w.menuSongList->close();
        release(Qt::LeftButton, 3);
        EXPECT_EQ(recorder->calls(), QStringList()) << c.button;
    }
    EXPECT_EQ(playerSongs(0), kSongs);
}

TEST_F(ReorderSongsTest, DeleteOnTheSongListIsItsDeleteCommand) {
    frmTunedeck& w = start();  // an empty list, on which the command does nothing
    QSignalSpy deletes(w.menuDel, &QAction::triggered);
    w.lvwSong->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);

    w.lvwFile->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);
}

struct Failure {
    const char* name;  // the member that fails
    QStringList songsAfter;
};
void PrintTo(const Failure& f, std::ostream* out) {
    *out << f.name;
}

class ReorderFailureTest : public ReorderSongsTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(ReorderFailureTest, AFailedExchangeIsReportedAndNothingIsReread) {
    frmTunedeck& w = startWithSongs();
    recorder->failCall(QLatin1String(GetParam().name), 1, QStringLiteral("故障"));
    recorder->clearCalls();

    press(Qt::LeftButton, 0);
    release(Qt::LeftButton, 3);
    EXPECT_EQ(w.stbRioInfo->panelText(1), QString::fromUtf8("曲変更でエラーが発生しました。 Err:故障"));
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(recorder->calls().last(), u"Close()"_s);
    EXPECT_EQ(recorder->calls().filter(u"Songs("_s).size(), 0);  // no refresh
    EXPECT_EQ(listedSongs(), kSongs);
    EXPECT_EQ(playerSongs(0), GetParam().songsAfter);

    // The song pressed before the failure is forgotten by the next press, even one on empty space.
    recorder->clearCalls();
    press(Qt::LeftButton, kEmptySpace);
    release(Qt::LeftButton, 1);
    EXPECT_EQ(recorder->calls(), QStringList());
}

// When only Close fails the player has already exchanged the songs; the list shows the old order until the
// next refresh.
INSTANTIATE_TEST_SUITE_P(EveryMember, ReorderFailureTest,
                         ::testing::Values(Failure{"Open", kSongs}, Failure{"SwapSong", kSongs},
                                           Failure{"Close", {u"four"_s, u"two"_s, u"three"_s, u"one"_s}}),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tunedeck::testing
