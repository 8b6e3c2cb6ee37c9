#include "emulated_player.h"
#include "player_fixture.h"
#include "player_texts.h"
#include "program_version.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace tunedeck::testing {
namespace {

struct CommandRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CommandRun runCommand(const QStringList& arguments,
                      const QString& program = QStringLiteral(TUNEDECK_PLAYER_COMMAND)) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << "the command did not end";
    return {.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            .out = QString::fromUtf8(process.readAllStandardOutput()),
            .err = QString::fromUtf8(process.readAllStandardError())};
}

class PlayerCommandTest : public PlayerTest {
  protected:
    CommandRun run(QStringList arguments) const {
        return runCommand(QStringList{"--store", storePath()} + arguments);
    }
};

TEST_F(PlayerCommandTest, StatusOfANewStore) {
    const CommandRun result = run({"status"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("connected: yes")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("card: present")) << result.out.toStdString();
    EXPECT_TRUE(QFile::exists(storePath() + "/memory0.json"));
}

TEST_F(PlayerCommandTest, DisconnectAndConnectReachTheDevice) {
    EmulatedPlayer player(storePath());
    ASSERT_EQ(run({"disconnect"}).exitCode, 0);
    try {
        player.Open();
        FAIL() << "opened a disconnected player";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kNotConnected);
    }
    ASSERT_EQ(run({"connect"}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
}

TEST_F(PlayerCommandTest, RemovedCardIsGoneForTheDeviceAndComesBackWithItsSongs) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddFolder("card", "1");
    player.Close();

    ASSERT_EQ(run({"remove-card"}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 0);
    player.Close();
    EXPECT_TRUE(run({"ls"}).out.contains("memory 1 (card): absent"));

    ASSERT_EQ(run({"insert-card"}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
    ASSERT_EQ(player.Folders(1).size(), 1u);
}

TEST_F(PlayerCommandTest, LsListsMemoriesFoldersSongsAndFreeMemory) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddSong(0, QStringLiteral("歌 - タイトル"), writeSource("s.mp3", songBytes(1234, 1)), "0");
    player.AddFolder("second", "0");
    player.Close();

    const CommandRun result = run({"ls"});
    EXPECT_EQ(result.exitCode, 0);
    const QString expected = QStringLiteral(
                                 "memory 0 (internal): 1234 bytes used, %1 bytes free\n"
                                 "  folder 0: MUSIC\n"
                                 "    song 0: 歌 - タイトル (1234 bytes)\n"
                                 "  folder 1: second\n"
                                 "memory 1 (card): 0 bytes used, 33554432 bytes free\n")
                                 .arg(64 * 1024 * 1024 - 1234);
    EXPECT_EQ(result.out, expected);
}

TEST_F(PlayerCommandTest, ExportDisplayWritesTheBitmapsAsPng) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.FontName("IPAGothic");
    player.FontSize(12);
    player.AddFolder("card", "1");
    player.AddSong(0, "song", writeSource("s.mp3", "abc"), "1");
    player.Close();

    const QString target = root() + "/display";
    const CommandRun result = run({"export-display", target});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList files = QDir(target).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"m0-f00.png", "m1-f00-s000.png", "m1-f00.png"}));
    for (const QString& file : files) {
        const QImage image(target + '/' + file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_EQ(image.depth(), 1) << file.toStdString();
    }
}

TEST_F(PlayerCommandTest, BadArgumentsExitWithAMessage) {
    const QStringList cases[] = {
        {}, {"frobnicate"}, {"ls", "extra"}, {"export-display"}, {"--bogus", "status"}, {"status", "--store"},
    };
    for (const QStringList& arguments : cases) {
        const CommandRun result = runCommand(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("tunedeck-player: ")) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("\nusage: tunedeck-player")) << result.err.toStdString();
        EXPECT_TRUE(result.err.endsWith('\n')) << result.err.toStdString();
        EXPECT_EQ(result.out, "");
    }
}

// Help and version answer on standard output and touch no store, even beside a command.
TEST_F(PlayerCommandTest, HelpAndVersionAnswerOnStandardOutput) {
    const QString version = QStringLiteral("tunedeck-player %1\n").arg(program_version::kFull);
    const struct {
        QStringList arguments;
        QString start;
    } cases[] = {{{"--help"}, "usage: tunedeck-player"},
                 {{"-h", "status"}, "usage: tunedeck-player"},
                 {{"--version"}, version},
                 {{"ls", "-v"}, version}};
    for (const auto& c : cases) {
        const CommandRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 0) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.startsWith(c.start)) << result.out.toStdString();
        EXPECT_TRUE(result.out.endsWith('\n')) << result.out.toStdString();
        EXPECT_FALSE(result.err.contains("usage")) << result.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(storePath()));
}

TEST_F(PlayerCommandTest, LockedStoreIsLeftAlone) {
    EmulatedPlayer player(storePath());
    player.Open();
    const auto before = storeFiles(storePath());
    for (const char* command : {"status", "disconnect", "remove-card"}) {
        const CommandRun result = run({command});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.err.contains(player_texts::kInUse)) << result.err.toStdString();
    }
    EXPECT_EQ(storeFiles(storePath()), before);
    EXPECT_EQ(player.ExtFlash(), 1);
}

// Without --store the command uses the folder "player" beside itself, as the program does.
TEST_F(PlayerCommandTest, DefaultStoreLiesBesideTheCommand) {
    const QString bin = root() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUNEDECK_PLAYER_COMMAND), bin + "/tunedeck-player"));
    const CommandRun result = runCommand({"disconnect"}, bin + "/tunedeck-player");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("connected: no"));
    EmulatedPlayer player(bin + "/player");
    EXPECT_THROW(player.Open(), DeviceError);
}

}  // namespace
}  // namespace tunedeck::testing
