#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

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
    QList<QByteArray> addSongs(int count, const QString& memory = "0") {
        auto device = storeDevice();
        device->Open();
        if (memory == "1")
            device->AddFolder("card", memory);  // a new card has no folder
        QList<QByteArray> contents;
        for (int n = 1; n <= count; ++n) {
            contents << QByteArray("song ") + QByteArray::number(n) + QByteArray(1000 + n, char('a' + n));
            device->AddSong(0, QStringLiteral("s%1").arg(n), folder.writeFile("source.mp3", contents.last()),
                            memory);
        }
        device->Close();
        return contents;
    }

    QString downloadPath(const QString& name) const { return folder.path() + '/' + name; }

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
        EXPECT_EQ(prompts.shown().last().kind, "confirm");
        EXPECT_EQ(prompts.shown().last().text, QString::fromUtf8(command.question));
        EXPECT_EQ(prompts.shown().last().title, QString::fromUtf8(command.title));
        EXPECT_TRUE(recorder->calls().isEmpty()) << command.name;
        EXPECT_TRUE(takeStatusTexts().isEmpty()) << command.name;
        expectGivenBack(window->lvwSong);
    }
    EXPECT_EQ(playerSongs(), QStringList({"s1", "s2", "s3"}));
    EXPECT_FALSE(QFile::exists(downloadPath("GetRio01.mp3")));
}

TEST_F(DownloadDeleteTest, NoneSelected) {
    addSongs(2);
    frmTunedeck& w = start();
    const QStringList refresh = {"Open()", "ExtFlash()", "Songs(0, 0)", "AvailableMemory(\"0\")", "Close()"};
    const struct {
        const Command& command;
        QStringList calls;
        QString last;
    } cases[] = {
        {kDownload, {"Open()", "Close()"}, kFetched},  // nothing refreshed after a download
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
    EXPECT_EQ(playerSongs(), QStringList({"s1", "s2"}));
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

    const QStringList bracket = {"Open()", "DeleteSong(0, %1, \"0\")", "Close()"};
    QStringList expected;
    for (const int index : {1, 1, 2})
        expected << bracket[0] << bracket[1].arg(index) << bracket[2];
    expected << "Open()"
             << "ExtFlash()"
             << "Songs(0, 0)"
             << "AvailableMemory(\"0\")"
             << "Close()";
    EXPECT_EQ(recorder->calls(), expected);
    EXPECT_EQ(playerSongs(), QStringList({"s1", "s4"}));
    EXPECT_EQ(listedSongs(), QStringList({"s1", "s4"}));
    const QStringList texts = takeStatusTexts();
    EXPECT_EQ(texts.mid(0, 3), QStringList({"s2" + kDeleting, "s3" + kDeleting, "s5" + kDeleting}));
    EXPECT_EQ(texts.last(), kDeleted);
    EXPECT_EQ(duringRun, QStringList(3, "wait 1, pane 0, files 1"));
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
              QStringList({"Open()", "GetSong(0, 1, \"" + downloadPath("GetRio02.mp3") + "\", \"0\")",
                           "GetSong(0, 9, \"" + downloadPath("GetRio10.mp3") + "\", \"0\")", "Close()"}));
    EXPECT_EQ(downloaded("GetRio02.mp3"), contents[1]);
    EXPECT_EQ(downloaded("GetRio10.mp3"), contents[9]);
    EXPECT_EQ(takeStatusTexts(), QStringList({"s2" + kFetching, "s10" + kFetching, kFetched}));
    EXPECT_EQ(duringRun, QStringList(2, "wait 1, window 0"));
    EXPECT_EQ(listedSongs().size(), 10);
    expectGivenBack(window->lvwSong);
}

// The second of three downloads lands on a folder of that name: the player's refusal is shown, the first
// file stays, the third is not fetched, and the folder keeps what it held.
TEST_F(DownloadDeleteTest, ATargetThatCannotBeWritten) {
    const QList<QByteArray> contents = addSongs(3);
    const QString kept = folder.writeFile("GetRio02.mp3/kept.txt", "kept");
    frmTunedeck& w = start();
    w.lvwSong->setFocus();
    selectPositions(*window->lvwSong, {1, 2, 3});
    QStringList expectedEntries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    expectedEntries << "GetRio01.mp3";
    expectedEntries.sort();

    prompts.answerConfirm(true);
    w.menuDown_Click();

    QString description;
    try {
        auto device = storeDevice();
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        device->GetSong(0, 1, downloadPath("GetRio02.mp3"), "0");
    } catch (const DeviceError& error) {
        description = error.description();
    }
    ASSERT_FALSE(description.isEmpty());
    EXPECT_EQ(lastStatus(), kFetchFailed + description);
    EXPECT_EQ(downloaded("GetRio01.mp3"), contents[0]);
    EXPECT_FALSE(QFile::exists(downloadPath("GetRio03.mp3")));
    QStringList entries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    entries.sort();
    EXPECT_EQ(entries, expectedEntries);
    QFile keptFile(kept);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), "kept");
    EXPECT_EQ(playerSongs(), QStringList({"s1", "s2", "s3"}));
    expectGivenBack(window->lvwSong);
}

// The player unplugged, or the card taken out, while a delete yields between two songs.
TEST_F(DownloadDeleteTest, ThePlayerGoesAwayDuringADelete) {
    const struct {
        const char* memory;
        const char* away;
        const char* back;
        const char* description;
    } cases[] = {
        {"0", "disconnect", "connect", "プレーヤーが接続されていません。"},
        {"1", "remove-card", "insert-card", "スマートメディアが入っていません。"},
    };
    for (const auto& c : cases)
        addSongs(3, c.memory);
    frmTunedeck& w = start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.away);
        w.optRam[QString(c.memory).toInt()]->click();
        w.lvwSong->setFocus();
        selectPositions(*window->lvwSong, {1, 2, 3});
        onStatusText = [&](const QString& text) {
            if (text == "s2" + kDeleting)
                runPlayerCommand({c.away});
        };
        prompts.answerConfirm(true);
        w.menuDel_Click();
        onStatusText = nullptr;

        EXPECT_EQ(lastStatus(), kDeleteFailed + QString::fromUtf8(c.description));
        // The list no longer shows the song that is gone, so no later command can act on moved positions.
        EXPECT_FALSE(listedSongs().contains("s1"));
        expectGivenBack(window->lvwSong);
        runPlayerCommand({c.back});
        EXPECT_EQ(playerSongs(0, c.memory), QStringList({"s2", "s3"}));
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
    recorder->failCall(f.member, f.nth, QString::fromUtf8("故障"));
    prompts.answerConfirm(true);
    (w.*f.command.click)();

    const bool download = &f.command == &kDownload;
    EXPECT_EQ(lastStatus(), (download ? kFetchFailed : kDeleteFailed) + QString::fromUtf8("故障"));
    EXPECT_EQ(recorder->calls().last(), "Close()");
    expectGivenBack(window->lvwSong);
    const int positions[] = {1, 3, 4};
    if (download) {
        const char* files[] = {"GetRio01.mp3", "GetRio03.mp3", "GetRio04.mp3"};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(downloaded(files[k]),
                      k < f.done ? std::optional(contents[positions[k] - 1]) : std::nullopt)
                << files[k];
    } else {
        QStringList left = {"s1", "s2", "s3", "s4"};
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
