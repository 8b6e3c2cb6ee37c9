#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const QString kFetching = QString::fromUtf8(" を取得しています...");
const QString kFetched = QString::fromUtf8("曲の取得が終了しました。");
const QString kFetchFailed = QString::fromUtf8("取得に失敗しました。 Err:");
const QString kDeleting = QString::fromUtf8(" を削除しています...");
const QString kDeleted = QString::fromUtf8("削除が終了しました。");
const QString kDeleteFailed = QString::fromUtf8("削除に失敗しました。 Err:");

// The two commands, for the cases they share.
struct Command {
    const char* name;
    void (frmTunedeck::*click)();
    const char* question;
    const char* title;
};
const Command kDownload{"download", &frmTunedeck::menuDown_Click, "曲を取得します。", "ダウンロード"};
const Command kDelete{"delete", &frmTunedeck::menuDel_Click, "削除します。", "削除"};

class DownloadDeleteTest : public WindowTest {
  protected:
    // Songs "s1", "s2", … in the first folder of `memory`, each with bytes of its own; returns the bytes.
    QList<QByteArray> addSongs(int count, const QString& memory = u"0"_s) {
        auto device = storeDevice();
        device->Open();
        if (memory == u"1"_s)
            device->AddFolder(u"card"_s, memory);  // a new card has no folder
        QList<QByteArray> contents;
        for (int n = 1; n <= count; ++n) {
            contents << QByteArray("song ") + QByteArray::number(n) + QByteArray(1000 + n, char('a' + n));
            device->AddSong(0, QStringLiteral("s%1").arg(n),
                            folder.writeFile(u"source.mp3"_s, contents.last()), memory);
        }
        device->Close();
        return contents;
    }

    QString downloadPath(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }

    // The file a download wrote; nullopt when there is none.
    std::optional<QByteArray> downloaded(const QString& name) const {
        QFile file(downloadPath(name));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
};

TEST_F(DownloadDeleteTest, AnEmptyListAsksNothing) {
    frmTunedeck& w = start();
    for (const Command& command : {kDownload, kDelete}) {
        recorder->clearCalls();
        (w.*command.click)();
        EXPECT_TRUE(prompts.shown().isEmpty()) << command.name;
        EXPECT_TRUE(recorder->calls().isEmpty()) << command.name;
    }
}

TEST_F(DownloadDeleteTest, AnsweringNoDoesNothing) {
    addSongs(3);
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {1, 3});
    for (const Command& command : {kDownload, kDelete}) {
        recorder->clearCalls();
        takeStatusTexts();
        prompts.answerConfirm(false);
        (w.*command.click)();
        ASSERT_FALSE(prompts.shown().isEmpty());
        EXPECT_EQ(prompts.shown().last().kind, u"confirm"_s);
        EXPECT_EQ(prompts.shown().last().text, QString::fromUtf8(command.question));
        EXPECT_EQ(prompts.shown().last().title, QString::fromUtf8(command.title));
        EXPECT_TRUE(recorder->calls().isEmpty()) << command.name;
        EXPECT_TRUE(takeStatusTexts().isEmpty()) << command.name;
        expectGivenBack(window->lvwSong);
    }
    EXPECT_EQ(playerSongs(), QStringList({u"s1"_s, u"s2"_s, u"s3"_s}));
    EXPECT_FALSE(QFile::exists(downloadPath(u"GetRio01.mp3"_s)));
}

TEST_F(DownloadDeleteTest, NoneSelected) {
    addSongs(2);
    frmTunedeck& w = start();
    const QStringList refresh = refreshCalls(false, true);
    const struct {
        const Command& command;
        QStringList calls;
        QString last;
    } cases[] = {
        {kDownload, {u"Open()"_s, u"Close()"_s}, kFetched},  // nothing refreshed after a download
        {kDelete, refresh, kDeleted},
    };
    w.lvwSong->clearSelection();
    for (const auto& c : cases) {
        recorder->clearCalls();
        prompts.answerConfirm(true);
        (w.*c.command.click)();
        EXPECT_EQ(recorder->calls(), c.calls) << c.command.name;
        EXPECT_EQ(lastStatus(), c.last);
    }
    EXPECT_EQ(playerSongs(), QStringList({u"s1"_s, u"s2"_s}));
}

// Positions 2, 3 and 5 of five: each deletion moves the later songs up, one bracket a song, and the list is
// read again at the end. The player pane is held for the run; the upper pane is not.
TEST_F(DownloadDeleteTest, DeleteAskForEachSongWhereItHasMovedTo) {
    addSongs(5);
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {2, 3, 5});
    recorder->clearCalls();
    takeStatusTexts();
    QStringList duringRun;
    onStatusText = [&](const QString& text) {
        if (text.endsWith(kDeleting))
            duringRun << QStringLiteral("wait %1, pane %2, files %3")
                             .arg(int(w.cursor().shape() == Qt::WaitCursor))
                             .arg(int(w.fraSong->isEnabled()))
                             .arg(int(w.lvwFile->isEnabled()));
    };
    prompts.answerConfirm(true);
    w.menuDel_Click();

    const QStringList bracket = {u"Open()"_s, u"DeleteSong(0, %1, \"0\")"_s, u"Close()"_s};
    QStringList expected;
    for (const int index : {1, 1, 2})
        expected << bracket[0] << bracket[1].arg(index) << bracket[2];
    expected << refreshCalls(false, true);
    EXPECT_EQ(recorder->calls(), expected);
    EXPECT_EQ(playerSongs(), QStringList({u"s1"_s, u"s4"_s}));
    EXPECT_EQ(listedSongs(), QStringList({u"s1"_s, u"s4"_s}));
    const QStringList texts = takeStatusTexts();
    EXPECT_EQ(texts.mid(0, 3), QStringList({u"s2"_s + kDeleting, u"s3"_s + kDeleting, u"s5"_s + kDeleting}));
    EXPECT_EQ(texts.last(), kDeleted);
    EXPECT_EQ(duringRun, QStringList(3, u"wait 1, pane 0, files 1"_s));
    expectGivenBack(window->lvwSong);
}

// Files named by position, byte for byte what was sent; one bracket, the whole window held, nothing read
// again afterwards.
TEST_F(DownloadDeleteTest, DownloadWritesEachSongByItsPosition) {
    const QList<QByteArray> contents = addSongs(10);
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {10, 2});
    recorder->clearCalls();
    takeStatusTexts();
    QStringList duringRun;
    onStatusText = [&](const QString& text) {
        if (text.endsWith(kFetching))
            duringRun << QStringLiteral("wait %1, window %2")
                             .arg(int(w.cursor().shape() == Qt::WaitCursor))
                             .arg(int(w.isEnabled()));
    };
    prompts.answerConfirm(true);
    w.menuDown_Click();

    EXPECT_EQ(recorder->calls(),
              QStringList(
                  {u"Open()"_s, u"GetSong(0, 1, \""_s + downloadPath(u"GetRio02.mp3"_s) + u"\", \"0\")"_s,
                   u"GetSong(0, 9, \""_s + downloadPath(u"GetRio10.mp3"_s) + u"\", \"0\")"_s, u"Close()"_s}));
    EXPECT_EQ(downloaded(u"GetRio02.mp3"_s), contents[1]);
    EXPECT_EQ(downloaded(u"GetRio10.mp3"_s), contents[9]);
    EXPECT_EQ(takeStatusTexts(), QStringList({u"s2"_s + kFetching, u"s10"_s + kFetching, kFetched}));
    EXPECT_EQ(duringRun, QStringList(2, u"wait 1, window 0"_s));
    EXPECT_EQ(listedSongs().size(), 10);
    expectGivenBack(window->lvwSong);
}

// The second of three downloads lands on a folder of that name: the player's refusal is shown, the first
// file stays, the third is not fetched, and the folder keeps what it held.
TEST_F(DownloadDeleteTest, ATargetThatCannotBeWritten) {
    const QList<QByteArray> contents = addSongs(3);
    const QString kept = folder.writeFile(u"GetRio02.mp3/kept.txt"_s, "kept");
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {1, 2, 3});
    QStringList expectedEntries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    expectedEntries << u"GetRio01.mp3"_s;
    expectedEntries.sort();

    prompts.answerConfirm(true);
    w.menuDown_Click();

    QString description;
    try {
        auto device = storeDevice();
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        device->GetSong(0, 1, downloadPath(u"GetRio02.mp3"_s), u"0"_s);
    } catch (const DeviceError& error) {
        description = error.description();
    }
    ASSERT_FALSE(description.isEmpty());
    EXPECT_EQ(lastStatus(), kFetchFailed + description);
    EXPECT_EQ(downloaded(u"GetRio01.mp3"_s), contents[0]);
    EXPECT_FALSE(QFile::exists(downloadPath(u"GetRio03.mp3"_s)));
    QStringList entries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    entries.sort();
    EXPECT_EQ(entries, expectedEntries);
    QFile keptFile(kept);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), "kept");
    EXPECT_EQ(playerSongs(), QStringList({u"s1"_s, u"s2"_s, u"s3"_s}));
    expectGivenBack(window->lvwSong);
}

// The player unplugged, or the card taken out, while a delete yields between two songs.
TEST_F(DownloadDeleteTest, ThePlayerGoesAwayDuringADelete) {
    const struct {
        QString memory, away, back;
        const char* description;
    } cases[] = {
        {u"0"_s, u"disconnect"_s, u"connect"_s, "プレーヤーが接続されていません。"},
        {u"1"_s, u"remove-card"_s, u"insert-card"_s, "スマートメディアが入っていません。"},
    };
    for (const auto& c : cases)
        addSongs(3, c.memory);
    frmTunedeck& w = start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.away.toStdString());
        w.optRam[c.memory.toInt()]->click();
        w.lvwSong->setFocus();
        selectPositions(*window->lvwSong, {1, 2, 3});
        onStatusText = [&](const QString& text) {
            if (text == u"s2"_s + kDeleting)
                runPlayerCommand({c.away});
        };
        prompts.answerConfirm(true);
        w.menuDel_Click();
        onStatusText = nullptr;

        EXPECT_EQ(lastStatus(), kDeleteFailed + QString::fromUtf8(c.description));
        // The list no longer shows the song that is gone, so no later command can act on moved positions.
        EXPECT_FALSE(listedSongs().contains(u"s1"_s));
        expectGivenBack(window->lvwSong);
        runPlayerCommand({c.back});
        EXPECT_EQ(playerSongs(0, c.memory), QStringList({u"s2"_s, u"s3"_s}));
    }
}

// Every member either command calls, failing at its first or second call, with songs 1, 3 and 4 of four
// selected: the songs before the failure are done, none after it, and the window comes back usable.
struct Failure {
    const Command& command;
    const char* member;
    int nth;
    int done;  // of the three selected songs
};
void PrintTo(const Failure& f, std::ostream* out) {
    *out << f.command.name << ' ' << f.member << " at call " << f.nth;
}

class DownloadDeleteFailureTest : public DownloadDeleteTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(DownloadDeleteFailureTest, StopsAtTheFailureAndGivesTheWindowBack) {
    const Failure& f = GetParam();
    const QList<QByteArray> contents = addSongs(4);
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {1, 3, 4});
    recorder->failCall(QLatin1String(f.member), f.nth, QString::fromUtf8("故障"));
    prompts.answerConfirm(true);
    (w.*f.command.click)();

    const bool download = &f.command == &kDownload;
    EXPECT_EQ(lastStatus(), (download ? kFetchFailed : kDeleteFailed) + QString::fromUtf8("故障"));
    EXPECT_EQ(recorder->calls().last(), u"Close()"_s);
    expectGivenBack(window->lvwSong);
    const int positions[] = {1, 3, 4};
    if (download) {
        const char* files[] = {"GetRio01.mp3", "GetRio03.mp3", "GetRio04.mp3"};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(downloaded(QLatin1String(files[k])),
                      k < f.done ? std::optional(contents[positions[k] - 1]) : std::nullopt)
                << files[k];
    } else {
        QStringList left = {u"s1"_s, u"s2"_s, u"s3"_s, u"s4"_s};
        for (int k = 0; k < f.done; ++k)
            left.removeOne(QStringLiteral("s%1").arg(positions[k]));
        EXPECT_EQ(playerSongs(), left);
        EXPECT_EQ(listedSongs(), left);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryMember, DownloadDeleteFailureTest,
    ::testing::Values(Failure{kDownload, "Open", 1, 0}, Failure{kDownload, "GetSong", 1, 0},
                      Failure{kDownload, "GetSong", 2, 1}, Failure{kDownload, "Close", 1, 3},
                      Failure{kDelete, "Open", 1, 0}, Failure{kDelete, "Open", 2, 1},
                      Failure{kDelete, "DeleteSong", 1, 0}, Failure{kDelete, "DeleteSong", 2, 1},
                      Failure{kDelete, "Close", 1, 1}, Failure{kDelete, "Close", 2, 2}),
    [](const ::testing::TestParamInfo<Failure>& info) {
        return std::string(info.param.command.name) + info.param.member + std::to_string(info.param.nth);
    });

}  // namespace
}  // namespace tunedeck::testing
