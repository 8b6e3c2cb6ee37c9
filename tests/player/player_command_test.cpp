#include "player_command.h"
#include "player_fixture.h"
#include "program_folder.h"
#include "program_version.h"

#include <QImage>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using namespace player_texts;

class PlayerCommandTest : public PlayerTest {
  protected:
    // The command line on the test's store: its exit status, standard output and standard error.
    std::tuple<int, QString, QString> run(const QStringList& arguments) const {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int status = runPlayerCommand(arguments, storePath(), outStream, errStream);
        return {status, out, err};
    }
    QString out(const QStringList& arguments) const { return std::get<1>(run(arguments)); }
};

// What the command changes, the device finds, and the other way round; ls and export-display show the store
// as it is.
TEST_F(PlayerCommandTest, ChangesReachTheDeviceAndLsShowsTheStore) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddSong(0, u"歌 - タイトル"_s, writeSource(u"s.mp3"_s, songBytes(1234, 1)), u"0"_s);
    player.AddFolder(u"second"_s, u"0"_s);
    player.Close();

    EXPECT_EQ(out({u"ls"_s}),
              u"memory 0 (internal): 1234 bytes used, 67107630 bytes free\n"
              u"  folder 0: MUSIC\n"
              u"    song 0: 歌 - タイトル (1234 bytes)\n"
              u"  folder 1: second\n"
              u"memory 1 (card): 0 bytes used, 33554432 bytes free\n"_s);
    // Each display bitmap as a 1-bit PNG named after where it belongs.
    const QString display = root() + u"/display"_s;
    EXPECT_EQ(out({u"export-display"_s, display}), u"3 bitmaps written to "_s + display + u'\n');
    EXPECT_EQ(QDir(display).entryList(QDir::Files),
              (QStringList{u"m0-f00-s000.png"_s, u"m0-f00.png"_s, u"m0-f01.png"_s}));
    EXPECT_EQ(QImage(display + u"/m0-f00-s000.png"_s).depth(), 1);

    const QString status = u"store: "_s + storePath() + u"\nconnected: %1\ncard: %2\n"_s;
    EXPECT_EQ(out({u"disconnect"_s}), status.arg(u"no"_s, u"present"_s));
    EXPECT_THAT([&] { player.Open(); }, refused(kNotConnected));
    EXPECT_EQ(out({u"remove-card"_s}), status.arg(u"no"_s, u"absent"_s));
    EXPECT_EQ(out({u"connect"_s}), status.arg(u"yes"_s, u"absent"_s));
    EXPECT_TRUE(out({u"ls"_s}).endsWith(u"memory 1 (card): absent\n"_s));
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 0);
    EXPECT_THAT([&] { player.Folders(1); }, refused(kNoCard));
    EXPECT_THAT([&] { player.AddSong(0, u"x"_s, root() + u"/s.mp3"_s, u"1"_s); }, refused(kNoCard));
    EXPECT_THAT([&] { player.Format(u"1"_s); }, refused(kNoCard));
    player.Close();
    EXPECT_EQ(out({u"insert-card"_s}), status.arg(u"yes"_s, u"present"_s));
    EXPECT_EQ(out({u"status"_s}), status.arg(u"yes"_s, u"present"_s));

    // The program, from a folder of its own: without --store it uses the folder "player" beside itself, as
    // the window does, and leaves it alone while the window, another process, holds it.
    ASSERT_TRUE(QDir().mkpath(root() + u"/bin"_s));
    ASSERT_TRUE(QFile::copy(builtProgram(u"tunedeck-player"_s), root() + u"/bin/tunedeck-player"_s));
    EmulatedPlayer window(root() + u"/bin/player"_s);
    const auto disconnect = [&] {
        const ProgramRun run = runProgram(root() + u"/bin/tunedeck-player"_s, {u"disconnect"_s});
        return std::pair(run.exitStatus, run.err);
    };
    window.Open();
    const auto held = storeFiles(root() + u"/bin/player"_s);
    const auto [refusedStatus, refusedError] = disconnect();
    EXPECT_EQ(refusedStatus, 1);
    EXPECT_TRUE(refusedError.contains(u"tunedeck-player: "_s + kInUse + u'\n')) << refusedError.toStdString();
    EXPECT_EQ(storeFiles(root() + u"/bin/player"_s), held);
    window.Close();
    EXPECT_EQ(disconnect().first, 0);
    EXPECT_THAT([&] { window.Open(); }, refused(kNotConnected));
}

// Bad arguments exit with 2 and the usage on standard error; help and version answer on standard output,
// even beside a command. None of them opens the store.
TEST_F(PlayerCommandTest, ArgumentsAreCheckedBeforeTheStore) {
    const QString usage = u"usage: tunedeck-player"_s;
    const QString version = u"tunedeck-player "_s + QLatin1String(program_version::kFull) + u'\n';
    const QString bad = u"tunedeck-player: "_s;
    const std::pair<QStringList, QString> cases[] = {
        // the arguments, and the start of the answer
        {{}, bad},
        {{u"frobnicate"_s}, bad},
        {{u"ls"_s, u"extra"_s}, bad},
        {{u"status"_s, u"--store"_s}, bad},
        {{u"-h"_s, u"status"_s}, usage},
        {{u"ls"_s, u"-v"_s}, version},
    };
    for (const auto& [arguments, start] : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const auto [status, out, err] = run(arguments);
        EXPECT_EQ(status, start == bad ? 2 : 0);
        const QString& answer = start == bad ? err : out;
        EXPECT_TRUE(answer.startsWith(start) && answer.contains(u'\n' + usage) == (start == bad) &&
                    answer.endsWith(u'\n'))
            << answer.toStdString();
        EXPECT_TRUE((start == bad ? out : err).isEmpty());
    }
    EXPECT_FALSE(QFile::exists(storePath()));
}

}  // namespace
}  // namespace tunedeck::testing
