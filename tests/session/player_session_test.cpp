// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_session.h"
#include "device_recorder.h"
#include "emulated_kind.h"
#include "mass_storage_kind.h"
#include "player_kinds.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "shelf_kind.h"

#include <QDir>
#include <QEventLoop>

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// What the emulated player's texts call it.
const PlayerWords kRio = *emulatedKind().words;

// An operation begun with the continuation it is handed.
using Operation = std::function<void(PlayerSession&, PlayerSession::Done)>;

// The emulated player on a temporary store holding "a:s1,s2,s3 b:".
class SessionTest : public ::testing::Test {
  protected:
    SessionTest() { folder.setUpPlayer(u"a:s1,s2,s3 b:"_s); }
    ProgramFolder folder;
    // Two songs to send, of 5 and 6 bytes.
    const QStringList files{writeFile(folder.path() + u"/x.mp3"_s, QByteArray(5, 'x')),
                            writeFile(folder.path() + u"/y.mp3"_s, QByteArray(6, 'y'))};
    const QString got = folder.path() + u"/got.mp3"_s;  // where a song is fetched to
    PaneReading listed;                                 // a folder as the pane showed it
};

// Each operation with each member it calls failing at its first call: the outcome is the player's
// description, the player is closed, and the player holds what it held before, or, when only Close failed,
// what the operation made of it.
TEST_F(SessionTest, EveryMemberFailingEndsTheOperationWithItsDescription) {
    using enum PlayerSession::AfterRefusal;
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    const auto into = [&](const SongRef& song) { return u"%1/got%2"_s.arg(folder.path()).arg(song.index); };
    // The first and third songs of folder a, as the list showed them.
    const auto songs = [&] { return QList<SongRef>{listed.songs->at(0), listed.songs->at(2)}; };
    // Each operation, the members it calls between Open and Close, and what the player holds after it.
    const std::tuple<Operation, QString, QString> operations[] = {
        {[&](auto& s, auto done) { s.send(PlayerMemory::Internal, 1, files, title, Stop, done); },
         u"FontName FontSize AddSong"_s, u"a:s1,s2,s3 b:x.mp3"_s},
        {[&](auto& s, auto done) { s.download(songs(), into, done); }, u"Folders Songs GetSong"_s,
         u"a:s1,s2,s3 b:"_s},
        {[&](auto& s, auto done) { s.remove(songs(), done); }, u"Folders Songs DeleteSong"_s,
         u"a:s2,s3 b:"_s},
        {[&](auto& s, auto done) { s.swap(songs()[0], songs()[1], done); }, u"Folders Songs SwapSong"_s,
         u"a:s3,s2,s1 b:"_s},
        {[](auto& s, auto done) { s.createFolder(PlayerMemory::Internal, u"c"_s, done); },
         u"FontName FontSize AddFolder"_s, u"a:s1,s2,s3 b: c:"_s},
        {[](auto& s, auto done) { s.removeFolder(PlayerMemory::Internal, 1, u"b"_s, done); },
         u"Folders DeleteFolder"_s, u"a:s1,s2,s3"_s},
        {[](auto& s, auto done) { s.format(PlayerMemory::Internal, done); }, u"Format"_s, u""_s}};
    for (const auto& [operation, members, after] : operations) {
        for (const QString& member : (u"Open "_s + members + u" Close"_s).split(u' ')) {
            SCOPED_TRACE(members.toStdString() + ": " + member.toStdString());
            folder.setUpPlayer(u"a:s1,s2,s3 b:"_s);
            const auto log = std::make_shared<DeviceRecorder::Log>();
            PlayerSession s(std::make_unique<DeviceRecorder>(createEmulatedPlayer(folder.storePath()), log),
                            kRio);
            ASSERT_TRUE(waitFor(s, PlayerMemory::Internal, FolderRef{0, u"a"_s}, listed).ok());
            log->failures[member] = {1, u"故障"_s};
            const Outcome out = waitFor([&](PlayerSession::Done done) { operation(s, done); });
            // Closed last, also after a failed Open; no call on the caller's thread.
            EXPECT_EQ(std::tuple(int(out.ending), out.description, log->calls.last(), log->onWindowThread),
                      std::tuple(int(Outcome::Ending::Failed), u"故障"_s, u"Close()"_s, QStringList()));
            EXPECT_EQ(folder.playerState(), member == u"Close"_s ? after : u"a:s1,s2,s3 b:"_s);
        }
    }
}

// The recorder of a player that keeps its connection across a run.
class KeepingRecorder final : public DeviceRecorder, public KeepsConnection {
  public:
    using DeviceRecorder::DeviceRecorder;
};

// The members called in each bracket of the log, the brackets apart by "|"; a Close after a failed one, to
// let go what it held, ends the same bracket.
QString bracketsOf(const QStringList& calls) {
    QStringList brackets, members;
    bool open = false;
    for (const QString& call : calls) {
        const QString member = call.section(u'(', 0, 0);
        if (member == u"Open"_s) {
            open = true;
            members.clear();
        } else if (member != u"Close"_s) {
            members << member;
        } else if (std::exchange(open, false)) {
            brackets << members.join(u' ');
        }
    }
    return brackets.join(u" | "_s);
}

// A run of songs is one bracket where the player keeps its connection, and a bracket a song elsewhere. A song
// the player refuses closes the run's bracket, so the next song opens the player afresh; a stop between two
// songs closes it as well, and a Close failing at the run's end fails the run, what was sent staying sent. An
// Open that fails is the run's failure.
TEST_F(SessionTest, ARunIsOneBracketWhereThePlayerKeepsItsConnection) {
    using enum PlayerSession::AfterRefusal;
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    const QStringList three = files + QStringList{writeFile(folder.path() + u"/z.mp3"_s, "z")};
    const auto send = [&](PlayerSession::AfterRefusal after) {
        return [&, after](PlayerSession& s, auto done) {
            s.send(PlayerMemory::Internal, 1, three, title, after, done);
        };
    };
    const auto remove = [&](PlayerSession& s, auto done) {
        s.remove({listed.songs->at(0), listed.songs->at(2)}, done);
    };
    const QString sendOne = u"FontName FontSize AddSong"_s;
    const auto sync = [&](qint16 index, const QString& name, const QStringList& files) {
        return [&, index, name, files](PlayerSession& s, auto done) {
            s.sync({.folder = FolderRef{index, name}, .files = files}, title,
                   [done](const Outcome& outcome, const SyncResult&) { done(outcome); });
        };
    };
    const QString syncPlan = u"Folders Songs AvailableMemory"_s;
    struct Case {
        bool keeps;
        Operation operation;
        QString failing;  // the member whose second call fails, if any
        bool stopAfterOne;
        QString brackets;
        QString outcome;  // ending, songs done, songs refused
        QString after;
    };
    const Case cases[] = {
        {true,
         send(Stop),
         {},
         false,
         sendOne + u' ' + sendOne + u' ' + sendOne,
         u"0 3 0"_s,
         u"a:s1,s2,s3 b:x.mp3,y.mp3,z.mp3"_s},
        {false,
         send(Stop),
         {},
         false,
         sendOne + u" | "_s + sendOne + u" | "_s + sendOne,
         u"0 3 0"_s,
         u"a:s1,s2,s3 b:x.mp3,y.mp3,z.mp3"_s},
        {true, send(GoOn), u"AddSong"_s, false, sendOne + u' ' + sendOne + u" | "_s + sendOne, u"0 2 1"_s,
         u"a:s1,s2,s3 b:x.mp3,z.mp3"_s},
        {true, send(Stop), u"AddSong"_s, false, sendOne + u' ' + sendOne, u"1 1 0"_s,
         u"a:s1,s2,s3 b:x.mp3"_s},
        {true, send(Stop), {}, true, sendOne, u"2 1 0"_s, u"a:s1,s2,s3 b:x.mp3"_s},
        {true, send(Stop), u"Close"_s, false, sendOne + u' ' + sendOne + u' ' + sendOne, u"1 3 0"_s,
         u"a:s1,s2,s3 b:x.mp3,y.mp3,z.mp3"_s},
        {true, send(Stop), u"Open"_s, false, u""_s, u"1 0 0"_s, u"a:s1,s2,s3 b:"_s},
        // A sync held throughout orders the folder it changed as it lists it then, and one that changed
        // nothing as it listed it first; a bracket a song looks whether another program sent the song.
        {true,
         sync(1, u"b"_s, three),
         {},
         false,
         syncPlan + (u" Folders "_s + sendOne).repeated(3) + u" Folders Songs"_s,
         u"0 3 0"_s,
         u"a:s1,s2,s3 b:x.mp3,y.mp3,z.mp3"_s},
        {false,
         sync(1, u"b"_s, three),
         {},
         false,
         syncPlan + (u" | Folders Songs "_s + sendOne).repeated(3) + u" | Folders Songs"_s,
         u"0 3 0"_s,
         u"a:s1,s2,s3 b:x.mp3,y.mp3,z.mp3"_s},
        {true, sync(0, u"a"_s, {}), {}, false, syncPlan, u"0 0 0"_s, u"a:s1,s2,s3 b:"_s},
        {false,
         sync(0, u"a"_s, {}),
         {},
         false,
         syncPlan + u" | Folders Songs"_s,
         u"0 0 0"_s,
         u"a:s1,s2,s3 b:"_s},
        {true,
         remove,
         {},
         false,
         u"Folders Songs DeleteSong Folders Songs DeleteSong"_s,
         u"0 2 0"_s,
         u"a:s2 b:"_s},
        {false,
         remove,
         {},
         false,
         u"Folders Songs DeleteSong | Folders Songs DeleteSong"_s,
         u"0 2 0"_s,
         u"a:s2 b:"_s},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.brackets.toStdString());
        folder.setUpPlayer(u"a:s1,s2,s3 b:"_s);
        const auto log = std::make_shared<DeviceRecorder::Log>();
        auto player = createEmulatedPlayer(folder.storePath());
        PlayerSession s(each.keeps ? std::unique_ptr<DeviceComponent>(
                                         std::make_unique<KeepingRecorder>(std::move(player), log))
                                   : std::make_unique<DeviceRecorder>(std::move(player), log),
                        kRio);
        ASSERT_TRUE(waitFor(s, PlayerMemory::Internal, FolderRef{0, u"a"_s}, listed).ok());
        log->calls.clear();
        if (!each.failing.isEmpty())
            log->failures[each.failing] = {each.failing == u"Open"_s || each.failing == u"Close"_s ? 1 : 2,
                                           u"故障"_s};
        if (each.stopAfterOne)
            QObject::connect(
                &s, &PlayerSession::progressed, &s,
                [&](const RunProgress& progress) {
                    if (progress.songsDone == 1)
                        s.cancel();
                },
                Qt::DirectConnection);
        const Outcome out = waitFor([&](PlayerSession::Done done) { each.operation(s, done); });
        EXPECT_EQ(bracketsOf(log->calls), each.brackets);
        EXPECT_EQ(u"%1 %2 %3"_s.arg(int(out.ending)).arg(out.done).arg(out.failed), each.outcome);
        EXPECT_EQ(out.description, each.failing.isEmpty() ? QString() : u"故障"_s);
        EXPECT_EQ(std::pair(log->unbracketed, log->open), std::pair(QStringList(), false));
        EXPECT_EQ(folder.playerState(), each.after);
    }
}

// Two songs of one name and size are told apart by what the player knows them by: when another program has
// swapped them since the list was read, the song the user chose is no longer where the list showed it, and
// nothing is deleted, fetched or swapped.
TEST_F(SessionTest, ASongChangedMeanwhileIsNeverTakenForTheOneShown) {
    const Operation operations[] = {
        [&](auto& s, auto done) { s.remove({listed.songs->at(1)}, done); },
        [&](auto& s, auto done) {
            s.download(
                {listed.songs->at(1)}, [&](auto&) { return got; }, done);
        },
        [&](auto& s, auto done) { s.swap(listed.songs->at(1), listed.songs->at(2), done); }};
    for (const auto& operation : operations) {
        folder.setUpPlayer(u"a:s,s,t"_s);
        PlayerSession session(createEmulatedPlayer(folder.storePath()), kRio);
        ASSERT_TRUE(waitFor(session, PlayerMemory::Internal, FolderRef{0, u"a"_s}, listed).ok());
        folder.onPlayer([](DeviceComponent& other) { other.SwapSong(0, 0, 1, u"0"_s); });
        EXPECT_EQ(int(waitFor([&](PlayerSession::Done done) { operation(session, done); }).ending),
                  int(Outcome::Ending::Changed));
        EXPECT_EQ(std::pair(folder.playerState(), QFileInfo::exists(got)), std::pair(u"a:s,s,t"_s, false));
    }

    // A song another program renamed is not the one the list showed, though the player knows it by the same
    // directory entry.
    const QString volume = folder.path() + u"/volume"_s, song = writeFile(volume + u"/f/x.mp3"_s, "song");
    PlayerSession session(createDevice(massStorageKind(), componentsFolder(), volume), kRio);
    ASSERT_TRUE(waitFor(session, PlayerMemory::Internal, FolderRef{0, u"f"_s}, listed).ok());
    ASSERT_TRUE(QFile::rename(song, volume + u"/f/y.mp3"_s));
    EXPECT_EQ(
        int(waitFor([&](PlayerSession::Done done) { session.remove({listed.songs->front()}, done); }).ending),
        int(Outcome::Ending::Changed));
    EXPECT_TRUE(QFileInfo::exists(volume + u"/f/y.mp3"_s));
}

// A kind of player registered beside the built-in ones, its component made from its plugin as the program
// makes every player's: each operation of the session works on its player.
TEST_F(SessionTest, EveryOperationWorksOnAPlayerOfAKindAddedBesideTheBuiltInOnes) {
    PlayerKinds kinds = builtInKinds();
    kinds.add(shelfKind());
    const std::shared_ptr<const PlayerKind> kind = kinds.byId(u"shelf:1"_s);
    ASSERT_EQ(kind ? kind->progId : QString(), u"Tunedeck.Shelf"_s);
    PlayerSession session(createDevice(*kind, componentsFolder(), u"shelf:session"_s),
                          playerWords({.kind = kind, .name = u"棚プレーヤー"_s}));
    // What the player holds, "a:x,y b:"; the songs of its first folder as the list shows them.
    const auto held = [&] {
        EXPECT_TRUE(waitFor(session, PlayerMemory::Internal, std::nullopt, listed).ok());
        MemoryReading all;
        EXPECT_TRUE(waitFor(session, PlayerMemory::Internal, all).ok());
        QStringList folders;
        for (size_t index = 0; index < all.songs.size(); ++index)
            folders << all.folders[qsizetype(index)] + u':' + namesOf(all.songs[index]).join(u',');
        return folders.join(u' ');
    };
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    const std::pair<std::function<void(PlayerSession::Done)>, QString> steps[] = {
        {[&](auto done) { session.createFolder(PlayerMemory::Internal, u"a"_s, done); }, u"a:"_s},
        {[&](auto done) { session.createFolder(PlayerMemory::Internal, u"b"_s, done); }, u"a: b:"_s},
        {[&](auto done) {
             session.send(PlayerMemory::Internal, 0, files, title, PlayerSession::AfterRefusal::Stop, done);
         },
         u"a:x,y b:"_s},
        // Its own texts name it.
        {[&](auto done) {
             session.send(PlayerMemory::Internal, -1, files, title, PlayerSession::AfterRefusal::Stop, done);
         },
         u"棚プレーヤーにフォルダがありません。フォルダは必ず必要です。a:x,y b:"_s},
        {[&](auto done) { session.swap(listed.songs->at(0), listed.songs->at(1), done); }, u"a:y,x b:"_s},
        {[&](auto done) {
             session.download(
                 {listed.songs->at(1)}, [&](auto&) { return got; }, done);
         },
         u"a:y,x b:"_s},
        {[&](auto done) { session.remove({listed.songs->at(0)}, done); }, u"a:x b:"_s},
        {[&](auto done) { session.removeFolder(PlayerMemory::Internal, 1, u"b"_s, done); }, u"a:x"_s},
        {[&](auto done) { session.format(PlayerMemory::Internal, done); }, u""_s}};
    for (const auto& [step, after] : steps) {
        const Outcome outcome = waitFor(step);
        EXPECT_EQ(outcome.description + held(), after);
    }
    EXPECT_EQ(readFile(got), "xxxxx");
}

// What the player tells the user on its own reaches the session's owner on its thread, before the
// operation's end.
TEST_F(SessionTest, APlayersNoticesReachTheOwnerBeforeTheOperationEnds) {
    const auto log = std::make_shared<DeviceRecorder::Log>();
    log->noticeAtOpen = u"貸してもらいました"_s;
    PlayerSession s(std::make_unique<DeviceRecorder>(createEmulatedPlayer(folder.storePath()), log), kRio);
    QStringList seen;
    QObject::connect(&s, &PlayerSession::noticed, &s, [&](const QString& text) {
        seen << text + (QThread::currentThread() == s.thread() ? u""_s : u" (elsewhere)"_s);
    });
    waitFor([&](PlayerSession::Done done) {
        s.readPane(PlayerMemory::Internal, std::nullopt,
                   [&, done](const Outcome& outcome, const PaneReading&) {
                       seen << u"done"_s;
                       done(outcome);
                   });
    });
    EXPECT_EQ(seen, (QStringList{u"貸してもらいました"_s, u"done"_s}));
}

// A memory is read in one bracket: every folder with its songs, or on an absent card nothing more. A member
// failing fails the reading with its description.
TEST_F(SessionTest, AMemoryIsReadInOneBracket) {
    struct Case {
        PlayerMemory memory;
        bool card;
        QString failing;  // the member whose call fails, if any
        QString brackets;
        QString read;  // the outcome's description, then each folder with its songs
    };
    const QString all = u"ExtFlash Folders Songs Songs AvailableMemory"_s;
    const Case cases[] = {
        {PlayerMemory::Internal, false, {}, all, u"a:s1,s2,s3 b:"_s},
        {PlayerMemory::Card, false, {}, u"ExtFlash"_s, u""_s},
        {PlayerMemory::Card, true, {}, u"ExtFlash Folders AvailableMemory"_s, u""_s},
        {PlayerMemory::Internal, true, u"Songs"_s, u"ExtFlash Folders Songs"_s, u"故障"_s},
        {PlayerMemory::Internal, true, u"AvailableMemory"_s, all, u"故障a:s1,s2,s3 b:"_s},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.brackets.toStdString());
        ASSERT_EQ(folder.runPlayer({each.card ? u"insert-card"_s : u"remove-card"_s}).exitStatus, 0);
        const auto log = std::make_shared<DeviceRecorder::Log>();
        PlayerSession s(std::make_unique<DeviceRecorder>(createEmulatedPlayer(folder.storePath()), log),
                        kRio);
        if (!each.failing.isEmpty())
            log->failures[each.failing] = {1, u"故障"_s};
        MemoryReading reading;
        const Outcome out = waitFor(s, each.memory, reading);
        QStringList folders;
        for (size_t f = 0; f < reading.songs.size(); ++f)
            folders << reading.folders[qsizetype(f)] + u':' + namesOf(reading.songs[f]).join(u',');
        EXPECT_EQ(bracketsOf(log->calls), each.brackets);
        EXPECT_EQ(out.description + folders.join(u' '), each.read);
        EXPECT_EQ(reading.cardPresent, std::optional(each.card));
        EXPECT_EQ(reading.available.has_value(),
                  out.ok() && (each.card || each.memory == PlayerMemory::Internal));
    }
}

// An operation returns at once, and its continuation comes queued, after every signal its work raised. One
// begun while another is under way is refused at once, and the one under way goes on and ends as it would.
TEST_F(SessionTest, OneOperationAtATimeEachEndingAfterItsSignals) {
    PlayerSession session(createEmulatedPlayer(folder.storePath()), kRio);
    QStringList seen;
    QObject::connect(&session, &PlayerSession::progressed, &session,
                     [&](const RunProgress&) { seen << u"progress"_s; });
    QEventLoop loop;
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    session.send(PlayerMemory::Internal, 1, files, title, PlayerSession::AfterRefusal::Stop,
                 [&](const Outcome& out) {
                     seen << u"sent %1"_s.arg(out.done) << (session.isIdle() ? u"idle"_s : u"busy"_s);
                     loop.quit();
                 });
    session.format(PlayerMemory::Internal, [&](const Outcome& out) { seen << out.description; });
    seen << (session.isIdle() ? u"idle"_s : u"begun"_s);
    loop.exec();
    EXPECT_EQ(std::tuple(seen.first(), seen.contains(session.oneAtATime()), seen.last(2).join(u' '),
                         seen.count(u"progress"_s) > 0, seen.lastIndexOf(u"progress"_s) < seen.size() - 2),
              std::tuple(u"begun"_s, true, u"sent 2 idle"_s, true, true));
    EXPECT_EQ(folder.playerState(), u"a:s1,s2,s3 b:x.mp3,y.mp3"_s);
}

// tunedeck-player's transfers go through the same session, numbered as ls numbers them: each ends with its
// exit status, what it says, and what the player then holds. A refusal is the player's description on
// standard error; bad operands are refused before the player is reached.
TEST_F(SessionTest, TheCommandLineTransfersThroughTheSession) {
    // The arguments; the exit status, what the command said, and what the player then holds.
    const std::pair<QStringList, QString> runs[] = {
        {{u"send"_s, files[0], files[1], u"--folder"_s, u"1"_s, u"--title"_s, u"t"_s},
         u"0|2 of 2 files sent\n|a:s1,s2,s3 b:t,t"_s},
        {{u"get"_s, u"1"_s, got, u"--folder"_s, u"1"_s},
         u"0|song 1 written to "_s + got + u"\n|a:s1,s2,s3 b:t,t"_s},
        {{u"swap"_s, u"2"_s, u"0"_s}, u"0||a:s3,s2,s1 b:t,t"_s},
        // A description naming a file prints its control characters escaped.
        {{u"send"_s, u"gone\u001b[2J\n.mp3"_s},
         u"1|0 of 1 files sent\ntunedeck-player: ファイルを読み込めません: gone\\x1b[2J\\n.mp3\n|a:s3,s2,s1 b:t,t"_s},
        {{u"delete"_s, u"2"_s, u"0"_s, u"2"_s}, u"0|2 of 2 songs deleted\n|a:s2 b:t,t"_s},
        {{u"delete"_s, u"5"_s}, u"1|tunedeck-player: 曲の番号が範囲外です。\n|a:s2 b:t,t"_s},
        {{u"mkdir"_s, u"c"_s, u"--memory"_s, u"1"_s}, u"0||a:s2 b:t,t"_s},
        {{u"rmdir"_s, u"0"_s}, u"0||b:t,t"_s},
        {{u"rmdir"_s, u"x"_s}, u"2|tunedeck-player: bad operands for rmdir: x\n|b:t,t"_s},
        // This test's folder holds got.mp3, x.mp3 and y.mp3 by now.
        {{u"sync"_s, folder.path(), u"--new-folder"_s, u"曲"_s, u"--dry-run"_s},
         u"1|プレーヤーに新しいフォルダ「曲」を作って同期します。\n転送する曲: 3曲 (0KB)\nすでにある曲: 0曲\n"
         u"空きメモリ: 足ります (空き 65,535KB)\n曲順: そのままで合っています\n|b:t,t"_s},
        {{u"sync"_s, folder.path(), u"--new-folder"_s, u"曲"_s},
         u"0|プレーヤーに新しいフォルダ「曲」を作って同期します。\n転送する曲: 3曲 (0KB)\nすでにある曲: 0曲\n"
         u"空きメモリ: 足ります (空き 65,535KB)\n曲順: そのままで合っています\n"
         u"同期が終了しました。3個のファイルを転送しました。\n|b:t,t 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"sync"_s, folder.path(), u"--folder"_s, u"1"_s, u"--dry-run"_s},
         u"0|プレーヤーのフォルダ「曲」と同期します。\n転送する曲: 0曲 (0KB)\nすでにある曲: 3曲\n"
         u"空きメモリ: 足ります (空き 65,535KB)\n曲順: そのままで合っています\n|b:t,t 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"sync"_s, folder.path(), u"--delete"_s},
         u"0|プレーヤーのフォルダ「b」と同期します。\n転送する曲: 3曲 (0KB)\nすでにある曲: 0曲\n"
         u"プレーヤーにだけある曲: 2曲 (削除します)\n空きメモリ: 足ります (空き 65,535KB)\n"
         u"曲順: そのままで合っています\n同期が終了しました。3個のファイルを転送しました。 "
         u"2曲を削除しました。\n"
         u"|b:got.mp3,x.mp3,y.mp3 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"sync"_s, folder.path(), u"--delete"_s, u"--dry-run"_s},
         u"0|プレーヤーのフォルダ「b」と同期します。\n転送する曲: 0曲 (0KB)\nすでにある曲: 3曲\n"
         u"空きメモリ: 足ります (空き 65,535KB)\n曲順: そのままで合っています\n"
         u"|b:got.mp3,x.mp3,y.mp3 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"sync"_s, folder.path(), u"--folder"_s, u"0"_s, u"--new-folder"_s, u"x"_s},
         u"2|tunedeck-player: bad --memory, --folder or --new-folder\n|b:got.mp3,x.mp3,y.mp3 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"format"_s, u"--folder"_s, u"-1"_s},
         u"2|tunedeck-player: bad --memory, --folder or --new-folder\n|b:got.mp3,x.mp3,y.mp3 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"format"_s, u"--memory"_s, u"2"_s},
         u"2|tunedeck-player: bad --memory, --folder or --new-folder\n|b:got.mp3,x.mp3,y.mp3 曲:got.mp3,x.mp3,y.mp3"_s},
        {{u"format"_s}, u"0||"_s}};
    for (const auto& [arguments, expected] : runs) {
        const auto [status, out, err] = folder.runPlayer(arguments);
        EXPECT_EQ(u"%1|%2|"_s.arg(status).arg((out + err).section(u"usage:"_s, 0, 0)) + folder.playerState(),
                  expected)
            << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(std::pair(QFileInfo(got).size(), folder.playerState(u"1"_s)), std::pair(6LL, u"c:"_s));
}

// A sync sends what the player folder lacks, takes away only the songs asked to go, and leaves the folder
// in the files' order; made again it sends nothing. A folder gone meanwhile is never written to, and a song
// the player refuses is counted and the rest go.
TEST_F(SessionTest, ASyncSendsOnlyWhatIsMissingAndLeavesTheFilesOrder) {
    const auto title = [](const QString& path) { return QFileInfo(path).completeBaseName(); };
    const QString music = folder.path() + u"/music/"_s;
    QDir().mkpath(music);
    const auto add = [&](const QString& names) {
        for (const QString& name : names.split(u' '))
            writeFile(music + name + u".mp3"_s, name.toUtf8().repeated(1000 / name.size()));
    };
    const auto filesNow = [&] {
        QStringList files;
        for (const QString& name : QDir(music).entryList(QDir::Files, QDir::Name))
            files << music + name;
        return files;
    };
    // What is added to the computer folder, the request, and then: the outcome's ending and songs sent,
    // the songs removed, whether the folder was put in order, and what the player holds.
    struct Step {
        QString added;
        SyncRequest request;
        QString outcome;
        QString after;
    };
    const FolderRef b{1, u"b"_s};
    const Step steps[] = {
        {u"c a"_s, {.folder = b}, u"0 2 0 0"_s, u"a:s1,s2,s3 b:a,c"_s},
        {u"b"_s, {.folder = b}, u"0 1 0 1"_s, u"a:s1,s2,s3 b:a,b,c"_s},
        {{}, {.folder = b}, u"0 0 0 0"_s, u"a:s1,s2,s3 b:a,b,c"_s},
        // The store's s2 is two letters a thousand times over, as this one is.
        {u"s2"_s,
         {.folder = FolderRef{0, u"a"_s}, .removeOnlyOnPlayer = true},
         u"0 3 2 1"_s,
         u"a:a,b,c,s2 b:a,b,c"_s},
        {{}, {.newFolder = u"新"_s}, u"0 4 0 0"_s, u"a:a,b,c,s2 b:a,b,c 新:a,b,c,s2"_s},
        {{}, {.newFolder = u"新"_s}, u"0 0 0 0"_s, u"a:a,b,c,s2 b:a,b,c 新:a,b,c,s2"_s},
        {{}, {.folder = FolderRef{1, u"x"_s}}, u"3 0 0 0"_s, u"a:a,b,c,s2 b:a,b,c 新:a,b,c,s2"_s},
    };
    PlayerSession s(createEmulatedPlayer(folder.storePath()), kRio);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.outcome.toStdString() + " " + step.after.toStdString());
        if (!step.added.isEmpty())
            add(step.added);
        SyncRequest request = step.request;
        request.files = filesNow();
        SyncPreview preview;
        const Outcome previewed = waitFor(s, request, title, preview);
        SyncResult result;
        const Outcome out = waitFor(s, request, title, result);
        EXPECT_EQ(
            u"%1 %2 %3 %4"_s.arg(int(out.ending)).arg(out.done).arg(result.removed).arg(result.reordered),
            step.outcome);
        EXPECT_EQ(folder.playerState(), step.after);
        // The preview said what the sync then did.
        if (previewed.ok()) {
            const SyncSummary& said = request.folder ? *preview.intoFolder : preview.intoNewFolder;
            EXPECT_EQ(std::tuple(said.toSend, said.onlyOnPlayer, said.reorder(request.removeOnlyOnPlayer)),
                      std::tuple(result.planned.toSend, result.planned.onlyOnPlayer, result.reordered));
        }
    }

    // A preview tells of both folders, the one named and the new one, which is not there yet; the card
    // has no folder, and the first it gets is the sync's.
    SyncPreview both;
    ASSERT_TRUE(waitFor(s, {.folder = b, .newFolder = u"無い"_s, .files = filesNow()}, title, both).ok());
    EXPECT_EQ(std::tuple(both.intoFolder->toSend, both.intoNewFolder.toSend, both.newFolderExists),
              std::tuple(1, 4, false));
    SyncResult onCard;
    EXPECT_EQ(
        waitFor(s, {.memory = PlayerMemory::Card, .newFolder = u"c"_s, .files = filesNow()}, title, onCard)
            .done,
        4);
    EXPECT_EQ(std::pair(onCard.folder.index, folder.playerState(u"1"_s)),
              std::pair(qint16(0), u"c:a,b,c,s2"_s));

    // The player refuses the second song of three: the others go, and a sync again sends it alone.
    folder.setUpPlayer(u"a:"_s);
    const auto log = std::make_shared<DeviceRecorder::Log>();
    PlayerSession recorded(std::make_unique<DeviceRecorder>(createEmulatedPlayer(folder.storePath()), log),
                           kRio);
    log->failures[u"AddSong"_s] = {2, u"故障"_s};
    const SyncRequest request{.folder = FolderRef{0, u"a"_s}, .files = filesNow().mid(0, 3)};
    SyncResult result;
    const Outcome refused = waitFor(recorded, request, title, result);
    EXPECT_EQ(
        std::tuple(refused.ok(), refused.done, refused.failed, refused.description, folder.playerState()),
        std::tuple(true, 2, 1, u"故障"_s, u"a:a,c"_s));
    // It goes at the end; when the player then fails to put it in its place, the sync fails and the song
    // stays sent, each song as it started told, and a sync again puts it in place.
    log->failures[u"SwapSong"_s] = {1, u"故障"_s};
    QStringList started;
    QObject::connect(&recorded, &PlayerSession::songStarted, [&](int song, int songs, const QString& name) {
        started << u"%1/%2 %3"_s.arg(song).arg(songs).arg(name);
    });
    const Outcome unordered = waitFor(recorded, request, title, result);
    EXPECT_EQ(std::tuple(int(unordered.ending), unordered.done, unordered.description, started,
                         folder.playerState()),
              std::tuple(int(Outcome::Ending::Failed), 1, u"故障"_s, QStringList{u"1/1 b"_s}, u"a:a,c,b"_s));
    const Outcome again = waitFor(recorded, request, title, result);
    EXPECT_EQ(std::tuple(again.done, again.failed, result.reordered, folder.playerState()),
              std::tuple(0, 0, true, u"a:a,b,c"_s));

    // On a player of files a new folder takes the file system's form of its name, and a sync made again
    // finds it by that form, case not counting, and makes no other.
    const QString volume = folder.path() + u"/volume"_s;
    QDir().mkpath(volume + u"/Album"_s);
    PlayerSession files(createDevice(massStorageKind(), componentsFolder(), volume), kRio);
    for (const QString& asked : {u"What?"_s, u"What?"_s, u"album"_s}) {
        SCOPED_TRACE(asked.toStdString());
        const Outcome out =
            waitFor(files, {.newFolder = asked, .files = filesNow().mid(0, 2)}, title, result);
        EXPECT_TRUE(out.ok()) << qPrintable(out.description);
    }
    EXPECT_EQ(QDir(volume).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({u"Album"_s, u"What_"_s}));
    // A plain folder plays by name: each song's number goes before its title.
    for (const QString& made : {u"Album"_s, u"What_"_s})
        EXPECT_EQ(QDir(volume + u'/' + made).entryList(QDir::Files),
                  QStringList({u"01 a.mp3"_s, u"02 b.mp3"_s}));
}

// Two syncs of one folder at once (the window's and tunedeck-player's, say) take turns song by song on the
// emulated player: whatever one sent, the other does not send again, and the folder holds each file once.
TEST_F(SessionTest, TwoSyncsAtOnceSendEachSongOnce) {
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"500"_s}).exitStatus, 0);  // 40 ms a song
    QStringList music;
    for (int i = 0; i < 6; ++i)
        music << writeFile(u"%1/f%2.mp3"_s.arg(folder.path()).arg(i), QByteArray(20'000, char('0' + i)));
    const auto title = [](const QString& path) { return QFileInfo(path).completeBaseName(); };
    const SyncRequest request{.folder = FolderRef{1, u"b"_s}, .files = music};
    PlayerSession one(createEmulatedPlayer(folder.storePath()), kRio),
        other(createEmulatedPlayer(folder.storePath()), kRio);
    QEventLoop loop;
    std::vector<Outcome> ended;
    for (PlayerSession* session : {&one, &other})
        session->sync(request, title, [&](const Outcome& outcome, const SyncResult&) {
            ended.push_back(outcome);
            if (ended.size() == 2)
                loop.quit();
        });
    loop.exec();
    EXPECT_TRUE(ended[0].ok() && ended[1].ok()) << qPrintable(ended[0].description + ended[1].description);
    EXPECT_EQ(ended[0].done + ended[1].done, 6);
    EXPECT_EQ(folder.playerState(), u"a:s1,s2,s3 b:f0,f1,f2,f3,f4,f5"_s);
}

// The program creates the player from its components folder, as every test here does; a plugin that is not
// there is a device error with a description.
TEST(PluginCreation, AMissingPluginFailsWithADescription) {
    const auto refused = ::testing::ThrowsMessage<DeviceError>(::testing::Not(::testing::IsEmpty()));
    EXPECT_THAT([] { createDevice(PlayerKind{.plugin = u"Rio600"_s}, componentsFolder(), {}); }, refused);
    EXPECT_THAT([] { createDevice(emulatedKind(), u"/no/such/folder"_s, {}); }, refused);
}

}  // namespace
}  // namespace tunedeck::testing
