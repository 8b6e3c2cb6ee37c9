// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_session.h"
#include "device_recorder.h"
#include "program_folder.h"
#include "qt_printers.h"

#include <QDir>

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The emulated player on a temporary store holding "a:s1,s2,s3 b:".
class SessionTest : public ::testing::Test {
  protected:
    SessionTest() { folder.setUpPlayer(u"a:s1,s2,s3 b:"_s); }
    QString file(const QString& name, qint64 size = 100) const {
        return writeFile(folder.path() + u'/' + name, QByteArray(size, 'x'));
    }
    ProgramFolder folder;
};

// An operation on the first and third songs of folder a, as a list showed them.
using Operation = std::function<Outcome(PlayerSession&, const QList<SongRef>& songs)>;

// Each operation with each member it calls failing at its first call: the outcome is the player's
// description, the player is closed, and the player holds what it held before, or, when only Close failed,
// what the operation made of it.
TEST_F(SessionTest, EveryMemberFailingEndsTheOperationWithItsDescription) {
    const QStringList files{file(u"x.mp3"_s), file(u"y.mp3"_s)};
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    const auto target = [&](const SongRef& song) {
        return folder.path() + u"/got"_s + QString::number(song.index);
    };
    const std::tuple<Operation, QString, QString> operations[] = {
        {[&](PlayerSession& s, auto&) {
             return s.send(PlayerMemory::Internal, 1, files, title, PlayerSession::AfterRefusal::Stop);
         },
         u"Open FontName FontSize AddSong Close"_s, u"a:s1,s2,s3 b:x.mp3"_s},
        {[&](PlayerSession& s, auto& songs) { return s.download(songs, target); },
         u"Open Folders Songs GetSong Close"_s, u"a:s1,s2,s3 b:"_s},
        {[](PlayerSession& s, auto& songs) { return s.remove(songs); },
         u"Open Folders Songs DeleteSong Close"_s, u"a:s2,s3 b:"_s},
        {[](PlayerSession& s, auto& songs) { return s.swap(songs[0], songs[1]); },
         u"Open Folders Songs SwapSong Close"_s, u"a:s3,s2,s1 b:"_s},
        {[](PlayerSession& s, auto&) { return s.createFolder(PlayerMemory::Internal, u"c"_s); },
         u"Open FontName FontSize AddFolder Close"_s, u"a:s1,s2,s3 b: c:"_s},
        {[](PlayerSession& s, auto&) { return s.removeFolder(PlayerMemory::Internal, 1, u"b"_s); },
         u"Open Folders DeleteFolder Close"_s, u"a:s1,s2,s3"_s},
        {[](PlayerSession& s, auto&) { return s.format(PlayerMemory::Internal); }, u"Open Format Close"_s,
         u""_s}};
    for (const auto& [operation, members, after] : operations) {
        for (const QString& member : members.split(u' ')) {
            SCOPED_TRACE(members.toStdString() + ": " + member.toStdString());
            folder.setUpPlayer(u"a:s1,s2,s3 b:"_s);
            const auto log = std::make_shared<DeviceRecorder::Log>();
            PlayerSession session(
                std::make_unique<DeviceRecorder>(createEmulatedPlayer(folder.storePath()), log));
            PaneReading listed;
            ASSERT_TRUE(session.readPane(PlayerMemory::Internal, FolderRef{0, u"a"_s}, listed).ok());
            log->failures[member] = {1, u"故障"_s};
            const Outcome outcome = operation(session, {listed.songs->at(0), listed.songs->at(2)});
            EXPECT_EQ(int(outcome.ending), int(Outcome::Ending::Failed));
            EXPECT_EQ(outcome.description, u"故障"_s);
            EXPECT_FALSE(log->open) << "left open";
            EXPECT_TRUE(member != u"Open"_s || log->calls.last() == u"Close()"_s)
                << "no Close after the Open";
            EXPECT_EQ(log->onWindowThread, QStringList()) << "a call held the caller's thread";
            EXPECT_EQ(folder.playerState(), member == u"Close"_s ? after : u"a:s1,s2,s3 b:"_s);
        }
    }
}

// Two songs of one name and size are told apart by what the player knows them by: when another program has
// swapped them since the list was read, the song the user chose is no longer where the list showed it, and
// nothing is deleted, fetched or swapped.
TEST_F(SessionTest, ASongIsNeverTakenForAnotherOfTheSameNameAndSize) {
    const auto target = [&](const SongRef&) { return folder.path() + u"/got.mp3"_s; };
    const Operation operations[] = {
        [](PlayerSession& s, auto& songs) { return s.remove({songs[1]}); },
        [&](PlayerSession& s, auto& songs) { return s.download({songs[1]}, target); },
        [](PlayerSession& s, auto& songs) { return s.swap(songs[1], songs[2]); },
    };
    for (const Operation& operation : operations) {
        folder.setUpPlayer(u"a:s,s,t"_s);
        PlayerSession session(createEmulatedPlayer(folder.storePath()));
        PaneReading listed;
        ASSERT_TRUE(session.readPane(PlayerMemory::Internal, FolderRef{0, u"a"_s}, listed).ok());
        folder.onPlayer([](DeviceComponent& other) { other.SwapSong(0, 0, 1, u"0"_s); });
        EXPECT_EQ(int(operation(session, {listed.songs->begin(), listed.songs->end()}).ending),
                  int(Outcome::Ending::Changed));
        EXPECT_EQ(folder.playerState(), u"a:s,s,t"_s);
        EXPECT_FALSE(QFileInfo::exists(folder.path() + u"/got.mp3"_s));
    }
}

// A song another program renamed is not the one the list showed, though the player knows it by the same
// directory entry.
TEST_F(SessionTest, ASongRenamedMeanwhileIsLeftAlone) {
    const QString volume = folder.path() + u"/volume"_s;
    writeFile(volume + u"/f/x.mp3"_s, "song");
    PlayerSession session(createDevice(kMassStorageProgId, componentsFolder(), volume));
    PaneReading listed;
    ASSERT_TRUE(session.readPane(PlayerMemory::Internal, FolderRef{0, u"f"_s}, listed).ok());
    ASSERT_TRUE(QFile::rename(volume + u"/f/x.mp3"_s, volume + u"/f/y.mp3"_s));
    EXPECT_EQ(int(session.remove({listed.songs->front()}).ending), int(Outcome::Ending::Changed));
    EXPECT_TRUE(QFileInfo::exists(volume + u"/f/y.mp3"_s));
}

// tunedeck-player's transfers go through the same session, numbered as ls numbers them: each ends with its
// exit status, what it says, and what the player then holds. A refusal is the player's description on
// standard error; bad operands are refused before the player is reached.
TEST_F(SessionTest, TheCommandLineTransfersThroughTheSession) {
    const QString got = folder.path() + u"/got.mp3"_s;
    // The arguments; the exit status, what the command said, and what the player then holds.
    const std::pair<QStringList, QString> runs[] = {
        {{u"send"_s, file(u"x.mp3"_s, 5), file(u"y.mp3"_s, 6), u"--folder"_s, u"1"_s, u"--title"_s, u"t"_s},
         u"0|2 of 2 files sent\n|a:s1,s2,s3 b:t,t"_s},
        {{u"get"_s, u"1"_s, got, u"--folder"_s, u"1"_s},
         u"0|song 1 written to "_s + got + u"\n|a:s1,s2,s3 b:t,t"_s},
        {{u"swap"_s, u"2"_s, u"0"_s}, u"0||a:s3,s2,s1 b:t,t"_s},
        // A description naming a file prints its control characters escaped.
        {{u"send"_s, folder.path() + u"/gone\u001b[2J\n.mp3"_s},
         u"1|0 of 1 files sent\ntunedeck-player: ファイルを読み込めません: "_s + folder.path() +
             u"/gone\\x1b[2J\\n.mp3\n|a:s3,s2,s1 b:t,t"_s},
        {{u"delete"_s, u"2"_s, u"0"_s, u"2"_s}, u"0|2 of 2 songs deleted\n|a:s2 b:t,t"_s},
        {{u"delete"_s, u"5"_s}, u"1|tunedeck-player: 曲の番号が範囲外です。\n|a:s2 b:t,t"_s},
        {{u"mkdir"_s, u"c"_s, u"--memory"_s, u"1"_s}, u"0||a:s2 b:t,t"_s},
        {{u"rmdir"_s, u"0"_s}, u"0||b:t,t"_s},
        {{u"rmdir"_s, u"x"_s}, u"2|tunedeck-player: bad operands for rmdir: x\n|b:t,t"_s},
        {{u"format"_s, u"--folder"_s, u"-1"_s}, u"2|tunedeck-player: bad --memory or --folder\n|b:t,t"_s},
        {{u"format"_s, u"--memory"_s, u"2"_s}, u"2|tunedeck-player: bad --memory or --folder\n|b:t,t"_s},
        {{u"format"_s}, u"0||"_s}};
    for (const auto& [arguments, expected] : runs) {
        const ProgramRun run = folder.runPlayer(arguments);
        EXPECT_EQ((QString::number(run.exitStatus) + u'|' + run.out + run.err).section(u"usage:"_s, 0, 0) +
                      u'|' + folder.playerState(),
                  expected)
            << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(QFileInfo(got).size(), 6);
    EXPECT_EQ(folder.playerState(u"1"_s), u"c:"_s);
}

// The program creates the player from its components folder, as every test here does; an unknown ProgID or
// a missing plugin is a device error with a description.
TEST(PluginCreation, AnUnknownProgIdOrAMissingPluginFailsWithADescription) {
    const ProgramFolder folder;
    for (const auto& [progId, components] :
         {std::pair(u"Rio500Remix.Rio600"_s, componentsFolder()), std::pair(kPlayerProgId, folder.path())})
        EXPECT_THAT([&] { createDevice(progId, components, folder.storePath()); },
                    ::testing::ThrowsMessage<DeviceError>(::testing::Not(::testing::IsEmpty())));
}

}  // namespace
}  // namespace tunedeck::testing
