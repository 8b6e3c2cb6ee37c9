// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "local_path.h"
#include "number_format.h"
#include "sync_folder_name.h"
#include "sync_texts.h"

#include <QProgressBar>
#include <QRegularExpression>

#include <sys/stat.h>

namespace tunedeck::testing {
namespace {

constexpr SyncChoice kIntoChosen{.accepted = true};
constexpr SyncChoice kIntoNew{.newFolder = true, .accepted = true};
constexpr SyncChoice kRemoving{.removeOnlyOnPlayer = true, .accepted = true};
constexpr SyncChoice kNo{};

class SyncTest : public WindowTest {
  protected:
    // The computer folder the tree is on.
    QString music() const { return working.filePath(u"music"_s); }
    // `name` in the computer folder, `size` bytes of its first letter.
    QString musicFile(const QString& name, qsizetype size = 1024) const {
        return workFile(u"music/"_s + name, QByteArray(size, name[0].toLatin1()));
    }
    // `memory` as `player` says, the computer folder holding `files`, the tree on it; the device calls and
    // the status texts taken.
    frmTunedeck& startWith(const QString& player, const QStringList& files, const QString& memory = u"0"_s) {
        folder.setUpPlayer(player, memory);
        for (const QString& name : files)
            musicFile(name);
        frmTunedeck& w = start();
        w.dirlst->setPath(music());
        deviceLog->calls.clear();
        takeStatusTexts();
        return w;
    }
    // The file list read again, as choosing the folder in the tree does.
    void relist() const { window->dirlst->setPath(music()); }
    // A sync from the folder tree's menu, answered `choice`; the status it ended with.
    QString sync(const SyncChoice& choice) {
        prompts.answerSync(choice);
        window->menuFolSync->trigger();
        settle();
        return lastStatus();
    }
    // The calls that changed the player since the last call but the swaps, which put the order right: a
    // song sent as "+" and its title, the others by their member's name.
    QString writes() const {
        static const QRegularExpression changing(u"^(AddSong|DeleteSong|AddFolder|DeleteFolder|Format)\\("_s);
        static const QRegularExpression sending(u"^AddSong\\(\\d+, \"([^\"]*)\""_s);
        QStringList written;
        for (const QString& call : std::exchange(deviceLog->calls, {}).filter(changing)) {
            const QRegularExpressionMatch sent = sending.match(call);
            written << (sent.hasMatch() ? u"+"_s + sent.captured(1) : call.section(u'(', 0, 0));
        }
        return written.join(u',');
    }
};

// One computer folder synced, changed and synced again into the chosen folder, a step after another: each
// sync sends only what the player lacks, in the order the file list shows (sorted by size at first, then by
// name), and leaves the folder in that order. A file the player refuses (one listed that has become a FIFO)
// is named at the end and the others go. No changes nothing; a song the computer folder no longer has stays,
// after the others, unless the removal is chosen, which removes it and nothing else; a song of a file's name
// but of another size is not that file. The song list then shows what the player holds.
TEST_F(SyncTest, EachSyncSendsWhatIsMissingInTheListsOrder) {
    musicFile(u"a.mp3"_s, 3 * 1024);
    musicFile(u"e.mp3"_s, 2 * 1024);
    frmTunedeck& w = startWith(u"a:"_s, {u"c.mp3"_s});
    const QString cPath = music() + u"/c.mp3"_s;
    const auto add = [&](const QStringList& names, qsizetype size = 1024) {
        for (const QString& name : names) {
            QFile::remove(music() + u'/' + name);  // a FIFO is not written through
            musicFile(name, size);
        }
        relist();
    };
    const std::tuple<const char*, std::function<void()>, SyncChoice, QString, QString, QString> steps[] = {
        {"into an empty folder, by size",
         [&] {
             clickColumn(*w.lvwFile, 4);
             ASSERT_TRUE(QFile::remove(cPath) && mkfifo(QFile::encodeName(cPath).constData(), 0600) == 0);
         },
         kIntoChosen, u"+c.mp3,+e.mp3,+a.mp3"_s, u"e.mp3,a.mp3"_s,
         u"同期が終了しました。2個のファイルを転送しました。 1個は転送できませんでした。 Err:ファイルを読み込めません: "_s +
             cPath},
        {"the refused one a file again, by name", [&] { add({u"c.mp3"_s}); }, kIntoChosen, u"+c.mp3"_s,
         u"a.mp3,c.mp3,e.mp3"_s,
         u"同期が終了しました。1個のファイルを転送しました。 曲順を並べ直しました。"_s},
        {"two in the middle",
         [&] {
             add({u"b.mp3"_s, u"d.mp3"_s});
         },
         kIntoChosen, u"+b.mp3,+d.mp3"_s, u"a.mp3,b.mp3,c.mp3,d.mp3,e.mp3"_s,
         u"同期が終了しました。2個のファイルを転送しました。 曲順を並べ直しました。"_s},
        {"answered No", [&] { add({u"f.mp3"_s}); }, kNo, u""_s, u"a.mp3,b.mp3,c.mp3,d.mp3,e.mp3"_s,
         u"Ready"_s},
        {"one gone from the computer, kept",
         [&] {
             QFile::remove(cPath);
             relist();
         },
         kIntoChosen, u"+f.mp3"_s, u"a.mp3,b.mp3,d.mp3,e.mp3,f.mp3,c.mp3"_s,
         u"同期が終了しました。1個のファイルを転送しました。 曲順を並べ直しました。"_s},
        {"removed, with one of another size", [&] { add({u"b.mp3"_s}, 2048); }, kRemoving,
         u"DeleteSong,DeleteSong,+b.mp3"_s, u"a.mp3,b.mp3,d.mp3,e.mp3,f.mp3"_s,
         u"同期が終了しました。1個のファイルを転送しました。 2曲を削除しました。 曲順を並べ直しました。"_s},
        {"nothing left to do", [] {}, kRemoving, u""_s, u"a.mp3,b.mp3,d.mp3,e.mp3,f.mp3"_s,
         u"同期が終了しました。0個のファイルを転送しました。"_s}};
    for (const auto& [step, change, choice, written, songs, ending] : steps) {
        SCOPED_TRACE(step);
        change();
        deviceLog->calls.clear();
        const QString ended = sync(choice);
        EXPECT_EQ(ended + u" | "_s + writes(), ending + u" | "_s + written);
        EXPECT_EQ(folder.playerState() + u" | "_s + shownState(), u"a:"_s + songs + u" | a / "_s + songs);
    }
}

// The question tells what each choice would do: into the chosen folder, whose song only the player has is
// kept or removed and whose order is then put right or is right already, or into a new folder named after
// the computer folder, made by the sync. The figures are those of the player's memory.
TEST_F(SyncTest, TheQuestionSummarisesEachChoice) {
    musicFile(u"m1.mp3"_s, 2048);
    startWith(u"a:s1 b:"_s, {u"m2.mp3"_s});
    qint64 available = 0;
    folder.onPlayer([&](DeviceComponent& device) { available = device.AvailableMemory(u"0"_s); });
    EXPECT_EQ(sync(kNo), readyText());
    const SyncSummary intoA{.toSend = 2,
                            .sendBytes = 3072,
                            .onlyOnPlayer = 1,
                            .onlyOnPlayerBytes = 1000,
                            .available = available,
                            .reorderIfKept = true},
        intoNew{.toSend = 2, .sendBytes = 3072, .available = available};
    const ScriptedPrompts::Shown& asked = prompts.shown().last();
    EXPECT_EQ(asked.title + u" "_s + asked.folders, u"フォルダを同期 a|music"_s);
    EXPECT_EQ(asked.summaries, QStringList({syncSummaryText(intoA, u"a"_s, false, false),
                                            syncSummaryText(intoA, u"a"_s, false, true),
                                            syncSummaryText(intoNew, u"music"_s, true, false),
                                            syncSummaryText(intoNew, u"music"_s, true, true)}));
    EXPECT_EQ(asked.summaries.value(0),
              u"プレーヤーのフォルダ「a」と同期します。\n転送する曲: 2曲 (3KB)\nすでにある曲: 0曲\n"
              u"プレーヤーにだけある曲: 1曲 (残します)\n空きメモリ: 足ります (空き "_s +
                  kilobyteText(available) + u")\n曲順: コンピュータのフォルダの順に並べ直します"_s);
    EXPECT_EQ(folder.playerState() + u" | "_s + shownState(), u"a:s1 b: | a,b / s1"_s);
}

// The new folder's choice makes the folder, named after the computer folder, in the chosen memory, syncs into
// it and shows it; a sync with that choice again goes into that folder and makes no other. A player without
// folders is offered only the new one.
TEST_F(SyncTest, TheNewFolderIsMadeOnceAndShown) {
    const std::tuple<const char*, QString, int, QString> cases[] = {
        {"beside a chosen folder", u"a:s1 b:"_s, 0, u"a:s1 b: music:m1.mp3,m2.mp3"_s},
        {"on a player without folders", u""_s, 0, u"music:m1.mp3,m2.mp3"_s},
        {"on the card", u"c:"_s, 1, u"c: music:m1.mp3,m2.mp3"_s}};
    for (const auto& [name, player, memory, after] : cases) {
        SCOPED_TRACE(name);
        const QString chosenMemory = QString::number(memory);
        folder.setUpPlayer(u"keep:s1"_s, QString::number(1 - memory));
        frmTunedeck& w = startWith(player, {u"m1.mp3"_s, u"m2.mp3"_s}, chosenMemory);
        w.optRam[memory]->click();
        settle();
        for (const QString& again : {u"first"_s, u"again"_s}) {
            SCOPED_TRACE(again.toStdString());
            w.cmbFolder->setCurrentIndex(0);
            settle();
            const QString ended = sync(kIntoNew);
            EXPECT_EQ(ended + u" | "_s + writes(),
                      again == u"first"_s
                          ? u"同期が終了しました。2個のファイルを転送しました。 | AddFolder,+m1.mp3,+m2.mp3"_s
                          : u"同期が終了しました。0個のファイルを転送しました。 | "_s);
            const ScriptedPrompts::Shown& asked = prompts.shown().last();
            EXPECT_EQ(QString::number(asked.summaries.size()) + u' ' + asked.text.section(u'\n', 0, 0),
                      again == u"first"_s ? (player.isEmpty() ? u"2"_s : u"4"_s) +
                                                u" プレーヤーに新しいフォルダ「music」を作って同期します。"_s
                                          : u"4 プレーヤーのフォルダ「music」と同期します。"_s);
            EXPECT_EQ(folder.playerState(chosenMemory) + u" | "_s + w.cmbFolder->currentText() + u" / "_s +
                          rows(*w.lvwSong, 1).join(u','),
                      after + u" | music / m1.mp3,m2.mp3"_s);
            EXPECT_EQ(folder.playerState(QString::number(1 - memory)), u"keep:s1"_s);
        }
    }
}

// Esc during a sync, with its one progress bar shown, stops it inside the song in flight: the songs before
// it stay whole and nothing of it is left. A sync again sends only the rest.
TEST_F(SyncTest, EscStopsASyncAndTheNextSendsTheRest) {
    for (const QString& name : {u"e1.mp3"_s, u"e2.mp3"_s, u"e3.mp3"_s})
        musicFile(name, 600'000);
    frmTunedeck& w = startWith(u"a:"_s, {});
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"2000"_s}).exitStatus, 0);
    bool barShown = false;
    const QMetaObject::Connection stopping =
        QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
            if (text != u"e2.mp3 をRioに同期しています..."_s)
                return;
            barShown = w.stbRioInfo->progressBar()->isVisible() &&
                       w.stbRioInfo->cancelButton()->isVisible() &&
                       w.stbRioInfo->findChildren<QProgressBar*>().size() == 1;
            QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        });
    const QString stopped = sync(kIntoChosen);
    QObject::disconnect(stopping);
    EXPECT_EQ(stopped + u" | "_s + writes(),
              u"同期を中止しました。1個のファイルを転送しました。 | +e1.mp3,+e2.mp3"_s);
    EXPECT_TRUE(barShown && !w.stbRioInfo->progressBar()->isVisible());
    EXPECT_EQ(rows(*w.lvwSong, 3), QStringList{u"e1.mp3|a|585KB"_s});

    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"0"_s}).exitStatus, 0);
    const QString again = sync(kIntoChosen);
    EXPECT_EQ(again + u" | "_s + writes(),
              u"同期が終了しました。2個のファイルを転送しました。 | +e2.mp3,+e3.mp3"_s);
    EXPECT_EQ(shownState(), u"a / e1.mp3,e2.mp3,e3.mp3"_s);
}

// A sync whose reading fails says why as the other commands do, asks nothing and changes nothing: the
// player away, or its folder gone since the list was read (then read again). An empty file list has nothing
// to sync and does not reach the player.
TEST_F(SyncTest, NothingIsAskedWhereNothingCanBeSynced) {
    const std::tuple<const char*, std::function<void()>, QString, QString> cases[] = {
        {"no files", [&] { window->fillFileList(working.filePath(u"none"_s)); },
         u"同期する音楽ファイルがありません。"_s, u"a,b / s1"_s},
        {"folder gone",
         [&] { folder.onPlayer([](DeviceComponent& device) { device.DeleteFolder(0, u"0"_s); }); },
         u"Rioの内容が表示と違っていたため、何もせずに読み直しました。"_s, u"b / "_s},
        {"no player", [&] { folder.runPlayer({u"disconnect"_s}); },
         u"同期エラー Err:プレーヤーが接続されていません。"_s, u"a,b / s1"_s}};
    for (const auto& [name, spoil, said, shown] : cases) {
        SCOPED_TRACE(name);
        startWith(u"a:s1 b:"_s, {u"m1.mp3"_s});
        spoil();
        const qsizetype asked = prompts.shown().size();
        window->menuSync->trigger();
        settle();
        EXPECT_EQ(lastStatus() + u" | "_s + shownState() + u" | "_s + writes(),
                  said + u" | "_s + shown + u" | "_s);
        EXPECT_EQ(prompts.shown().size(), asked);
    }
}

// The player folder a computer folder is synced into is named as the folder; a drive's root, which has no
// name of its own, by the drive's label or as a new folder. A name not in UTF-8 is read as the window shows
// it.
TEST(SyncFolderName, IsTheFoldersOwnOrTheDrives) {
    const std::tuple<QString, QString, QString, QString> cases[] = {
        {u"/home/u/music"_s, u"/"_s, u"ROOT"_s, u"music"_s},
        {u"/home/u/music/"_s, u"/"_s, u""_s, u"music"_s},
        {u"/"_s, u"/"_s, u""_s, u"新しいフォルダ"_s},
        {u"/"_s, u"/"_s, u"ROOT"_s, u"ROOT"_s},
        {u"/media/u/SONGS/"_s, u"/media/u/SONGS"_s, u"SONGS 2"_s, u"SONGS 2"_s},
        {u"/media/u/SONGS/pop"_s, u"/media/u/SONGS"_s, u"SONGS 2"_s, u"pop"_s},
        {u"/mnt/"_s + pathFromBytes("\x83\x65\x83\x58\x83\x67"), u"/"_s, u""_s, u"テスト"_s},
        {u"/mnt/"_s + pathFromBytes("a\x83"), u"/"_s, u""_s, u"a\\x83"_s}};
    for (const auto& [path, driveRoot, driveName, expected] : cases)
        EXPECT_EQ(syncFolderName(path, driveRoot, driveName), expected) << path.toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
