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

using Ending = Outcome::Ending;

// The emulated player on a temporary store, behind a recorder, in a session of its own.
class SessionTest : public ::testing::Test {
  protected:
    SessionTest() { folder.setUpPlayer(u"a:s1,s2,s3 b:"_s); }

    QString store() const { return folder.storePath(); }
    std::unique_ptr<DeviceComponent> recorded() const {
        return std::make_unique<DeviceRecorder>(createEmulatedPlayer(store()), log);
    }
    // The songs of folder `folder` of the internal memory, as a list shows them.
    std::vector<SongRef> listed(PlayerSession& session, qint16 index = 0,
                                const QString& name = u"a"_s) const {
        PaneReading reading;
        EXPECT_TRUE(session.readPane(PlayerMemory::Internal, FolderRef{index, name}, reading).ok());
        return reading.songs.value_or(std::vector<SongRef>{});
    }
    QString file(const QString& name, qint64 size = 100) const {
        return writeFile(folder.path() + u'/' + name, QByteArray(size, 'x'));
    }

    ProgramFolder folder;
    const std::shared_ptr<DeviceRecorder::Log> log = std::make_shared<DeviceRecorder::Log>();
};

using Operation = std::function<Outcome(PlayerSession&, const std::vector<SongRef>& shown)>;

// Each operation with each member it calls failing at its first call: the outcome is the player's
// description, the player is closed, and the player holds what it held before, or, when only Close failed,
// what the operation made of it.
TEST_F(SessionTest, EveryMemberFailingEndsTheOperationWithItsDescription) {
    const QStringList files{file(u"x.mp3"_s), file(u"y.mp3"_s)};
    const auto title = [](const QString& path) { return QFileInfo(path).fileName(); };
    const auto target = [&](const SongRef& song) {
        return folder.path() + u"/got"_s + QString::number(song.index);
    };
    const std::tuple<const char*, Operation, QStringList, QString> operations[] = {
        {"send",
         [&](PlayerSession& s, auto&) {
             return s.send(PlayerMemory::Internal, 1, files, title, PlayerSession::AfterRefusal::Stop);
         },
         {u"Open"_s, u"FontName"_s, u"FontSize"_s, u"AddSong"_s, u"Close"_s},
         u"a:s1,s2,s3 b:x.mp3"_s},
        {"download",
         [&](PlayerSession& s, auto& shown) {
             return s.download({shown[0], shown[2]}, target);
         },
         {u"Open"_s, u"Folders"_s, u"Songs"_s, u"GetSong"_s, u"Close"_s},
         u"a:s1,s2,s3 b:"_s},
        {"remove",
         [](PlayerSession& s, auto& shown) {
             return s.remove({shown[0], shown[2]});
         },
         {u"Open"_s, u"Folders"_s, u"Songs"_s, u"DeleteSong"_s, u"Close"_s},
         u"a:s2,s3 b:"_s},
        {"swap",
         [](PlayerSession& s, auto& shown) { return s.swap(shown[0], shown[2]); },
         {u"Open"_s, u"Folders"_s, u"Songs"_s, u"SwapSong"_s, u"Close"_s},
         u"a:s3,s2,s1 b:"_s},
        {"createFolder",
         [](PlayerSession& s, auto&) { return s.createFolder(PlayerMemory::Internal, u"c"_s); },
         {u"Open"_s, u"FontName"_s, u"FontSize"_s, u"AddFolder"_s, u"Close"_s},
         u"a:s1,s2,s3 b: c:"_s},
        {"removeFolder",
         [](PlayerSession& s, auto&) { return s.removeFolder(PlayerMemory::Internal, 1, u"b"_s); },
         {u"Open"_s, u"Folders"_s, u"DeleteFolder"_s, u"Close"_s},
         u"a:s1,s2,s3"_s},
        {"format",
         [](PlayerSession& s, auto&) { return s.format(PlayerMemory::Internal); },
         {u"Open"_s, u"Format"_s, u"Close"_s},
         u""_s},
    };
    for (const auto& [name, operation, members, after] : operations) {
        for (const QString& member : members) {
            SCOPED_TRACE(std::string(name) + " " + member.toStdString());
            folder.setUpPlayer(u"a:s1,s2,s3 b:"_s);
            PlayerSession session(recorded());
            const std::vector<SongRef> shown = listed(session);
            log->failures[member] = {1, u"故障"_s};
            const Outcome outcome = operation(session, shown);
            EXPECT_EQ(int(outcome.ending), int(Ending::Failed));
            EXPECT_EQ(outcome.description, u"故障"_s);
            EXPECT_FALSE(log->open) << "left open";
            EXPECT_EQ(folder.playerState(), member == u"Close"_s ? after : u"a:s1,s2,s3 b:"_s);
        }
    }
}

// Another program changed the player after the list was read: nothing is done to a song or a folder that is
// no longer where the list showed it, and the outcome says so.
TEST_F(SessionTest, APlayerChangedSinceTheListIsLeftAlone) {
    const auto target = [&](const SongRef&) { return folder.path() + u"/got"_s; };
    const std::pair<const char*, Operation> operations[] = {
        {"remove",
         [](PlayerSession& s, auto& shown) {
             return s.remove({shown[0], shown[1]});
         }},
        {"download", [&](PlayerSession& s, auto& shown) { return s.download({shown[0]}, target); }},
        {"swap", [](PlayerSession& s, auto& shown) { return s.swap(shown[0], shown[2]); }},
        {"removeFolder",
         [](PlayerSession& s, auto&) { return s.removeFolder(PlayerMemory::Internal, 0, u"a"_s); }},
    };
    // What the other program did, and what the player then holds.
    const std::tuple<const char*, std::function<void(DeviceComponent&)>, QString> changes[] = {
        {"the first song deleted", [](DeviceComponent& d) { d.DeleteSong(0, 0, u"0"_s); }, u"a:s2,s3 b:"_s},
        {"a folder before it removed", [](DeviceComponent& d) { d.DeleteFolder(0, u"0"_s); }, u"b:"_s},
        {"a song of the same name and another size in its place",
         [&](DeviceComponent& d) {
             d.DeleteSong(0, 0, u"0"_s);
             d.AddSong(0, u"s1"_s, file(u"other"_s, 7), u"0"_s);
             d.SwapSong(0, 0, 2, u"0"_s);
         },
         u"a:s1,s3,s2 b:"_s},
    };
    for (const auto& [name, operation] : operations) {
        for (const auto& [change, changeIt, changed] : changes) {
            if (name == std::string("removeFolder") && changed != u"b:"_s)
                continue;  // a folder is known by its name and place only
            SCOPED_TRACE(std::string(name) + ", " + change);
            folder.setUpPlayer(u"a:s1,s2,s3 b:"_s);
            QFile::remove(folder.path() + u"/got"_s);
            PlayerSession session(recorded());
            const std::vector<SongRef> shown = listed(session);
            folder.onPlayer(changeIt);
            EXPECT_EQ(int(operation(session, shown).ending), int(Ending::Changed));
            EXPECT_EQ(folder.playerState(), changed);
            EXPECT_FALSE(QFile::exists(folder.path() + u"/got"_s));
        }
    }
}

// tunedeck-player's transfers go through the same session, numbered as ls numbers them: each ends with its
// exit status, what it says, and what the player then holds. A refusal is the player's description on
// standard error; bad operands are refused before the player is reached.
TEST_F(SessionTest, TheCommandLineTransfersThroughTheSession) {
    const QString got = folder.path() + u"/got.mp3"_s;
    // The arguments; the exit status and what the command said; what the player then holds.
    const std::tuple<QStringList, QString, QString> runs[] = {
        {{u"send"_s, file(u"x.mp3"_s, 5), file(u"y.mp3"_s, 6), u"--folder"_s, u"1"_s, u"--title"_s, u"t"_s},
         u"0|2 of 2 files sent\n"_s,
         u"a:s1,s2,s3 b:t,t"_s},
        {{u"get"_s, u"1"_s, got, u"--folder"_s, u"1"_s},
         u"0|song 1 written to "_s + got + u'\n',
         u"a:s1,s2,s3 b:t,t"_s},
        {{u"swap"_s, u"2"_s, u"0"_s}, u"0|"_s, u"a:s3,s2,s1 b:t,t"_s},
        // A description naming a file prints its control characters escaped.
        {{u"send"_s, folder.path() + u"/gone\u001b[2J\n.mp3"_s},
         u"1|0 of 1 files sent\ntunedeck-player: ファイルを読み込めません: "_s + folder.path() +
             u"/gone\\x1b[2J\\n.mp3\n"_s,
         u"a:s3,s2,s1 b:t,t"_s},
        {{u"delete"_s, u"2"_s, u"0"_s, u"2"_s}, u"0|2 of 2 songs deleted\n"_s, u"a:s2 b:t,t"_s},
        {{u"delete"_s, u"5"_s}, u"1|tunedeck-player: 曲の番号が範囲外です。\n"_s, u"a:s2 b:t,t"_s},
        {{u"mkdir"_s, u"c"_s, u"--memory"_s, u"1"_s}, u"0|"_s, u"a:s2 b:t,t"_s},
        {{u"rmdir"_s, u"0"_s}, u"0|"_s, u"b:t,t"_s},
        {{u"rmdir"_s, u"x"_s}, u"2|tunedeck-player: bad operands for rmdir: x\n"_s, u"b:t,t"_s},
        {{u"format"_s, u"--folder"_s, u"-1"_s},
         u"2|tunedeck-player: bad --memory or --folder\n"_s,
         u"b:t,t"_s},
        {{u"format"_s}, u"0|"_s, u""_s},
    };
    for (const auto& [arguments, said, held] : runs) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const ProgramRun run = folder.runPlayer(arguments);
        EXPECT_EQ((QString::number(run.exitStatus) + u'|' + run.out + run.err).section(u"usage:"_s, 0, 0),
                  said);
        EXPECT_EQ(folder.playerState(), held);
    }
    EXPECT_EQ(QFileInfo(got).size(), 6);
    EXPECT_EQ(folder.playerState(u"1"_s), u"c:"_s);
}

}  // namespace
}  // namespace tunedeck::testing
