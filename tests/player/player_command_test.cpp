#include "emulated_player.h"
#include "player_fixture.h"
#include "player_texts.h"
#include "program_version.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
        return runCommand(QStringList{u"--store"_s, storePath()} + arguments);
    }
};

TEST_F(PlayerCommandTest, StatusOfANewStore) {
    const CommandRun result = run({u"status"_s});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(u"connected: yes"_s)) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(u"card: present"_s)) << result.out.toStdString();
    EXPECT_TRUE(QFile::exists(storePath() + u"/memory0.json"_s));
}

TEST_F(PlayerCommandTest, DisconnectAndConnectReachTheDevice) {
    EmulatedPlayer player(storePath());
    ASSERT_EQ(run({u"disconnect"_s}).exitCode, 0);
    try {
        player.Open();
        FAIL() << "opened a disconnected player";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kNotConnected);
    }
    ASSERT_EQ(run({u"connect"_s}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
}

TEST_F(PlayerCommandTest, RemovedCardIsGoneForTheDeviceAndComesBackWithItsSongs) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddFolder(u"card"_s, u"1"_s);
    player.Close();

    ASSERT_EQ(run({u"remove-card"_s}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 0);
    player.Close();
    EXPECT_TRUE(run({u"ls"_s}).out.contains(u"memory 1 (card): absent"_s));

    ASSERT_EQ(run({u"insert-card"_s}).exitCode, 0);
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
    ASSERT_EQ(player.Folders(1).size(), 1u);
}

TEST_F(PlayerCommandTest, LsListsMemoriesFoldersSongsAndFreeMemory) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddSong(0, QStringLiteral("歌 - タイトル"), writeSource(u"s.mp3"_s, songBytes(1234, 1)), u"0"_s);
    player.AddFolder(u"second"_s, u"0"_s);
    player.Close();

    const CommandRun result = run({u"ls"_s});
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
    player.FontName(u"IPAGothic"_s);
    player.FontSize(12);
    player.AddFolder(u"card"_s, u"1"_s);
    player.AddSong(0, u"song"_s, writeSource(u"s.mp3"_s, "abc"), u"1"_s);
    player.Close();

    const QString target = root() + u"/display"_s;
    const CommandRun result = run({u"export-display"_s, target});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList files = QDir(target).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{u"m0-f00.png"_s, u"m1-f00-s000.png"_s, u"m1-f00.png"_s}));
    for (const QString& file : files) {
        const QImage image(target + QLatin1Char('/') + file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_EQ(image.depth(), 1) << file.toStdString();
    }
}

TEST_F(PlayerCommandTest, BadArgumentsExitWithAMessage) {
    const QStringList cases[] = {
        {},
        {u"frobnicate"_s},
        {u"ls"_s, u"extra"_s},
        {u"export-display"_s},
        {u"--bogus"_s, u"status"_s},
        {u"status"_s, u"--store"_s},
    };
    for (const QStringList& arguments : cases) {
        const CommandRun result = runCommand(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.err.contains(u"tunedeck-player: "_s)) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(u"\nusage: tunedeck-player"_s)) << result.err.toStdString();
        EXPECT_TRUE(result.err.endsWith(QLatin1Char('\n'))) << result.err.toStdString();
        EXPECT_EQ(result.out, u""_s);
    }
}

// Help and version answer on standard output and touch no store, even beside a command.
TEST_F(PlayerCommandTest, HelpAndVersionAnswerOnStandardOutput) {
    const QString version = QStringLiteral("tunedeck-player %1\n").arg(QLatin1String(program_version::kFull));
    const struct {
        QStringList arguments;
        QString start;
    } cases[] = {{{u"--help"_s}, u"usage: tunedeck-player"_s},
                 {{u"-h"_s, u"status"_s}, u"usage: tunedeck-player"_s},
                 {{u"--version"_s}, version},
                 {{u"ls"_s, u"-v"_s}, version}};
    for (const auto& c : cases) {
        const CommandRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 0) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.out.startsWith(c.start)) << result.out.toStdString();
        EXPECT_TRUE(result.out.endsWith(QLatin1Char('\n'))) << result.out.toStdString();
        EXPECT_FALSE(result.err.contains(u"usage"_s)) << result.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(storePath()));
}

TEST_F(PlayerCommandTest, LockedStoreIsLeftAlone) {
    EmulatedPlayer player(storePath());
    player.Open();
    const auto before = storeFiles(storePath());
    for (const char* command : {"status", "disconnect", "remove-card"}) {
        const CommandRun result = run({QLatin1String(command)});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.err.contains(player_texts::kInUse)) << result.err.toStdString();
    }
    EXPECT_EQ(storeFiles(storePath()), before);
    EXPECT_EQ(player.ExtFlash(), 1);
}

// Without --store the command uses the folder "player" beside itself, as the program does.
TEST_F(PlayerCommandTest, DefaultStoreLiesBesideTheCommand) {
    const QString bin = root() + u"/bin"_s;
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUNEDECK_PLAYER_COMMAND), bin + u"/tunedeck-player"_s));
    const CommandRun result = runCommand({u"disconnect"_s}, bin + u"/tunedeck-player"_s);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(u"connected: no"_s));
    EmulatedPlayer player(bin + u"/player"_s);
    EXPECT_THROW(player.Open(), DeviceError);
}

}  // namespace
}  // namespace tunedeck::testing
