#include "tags_command.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "program_version.h"

#include <QFile>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// One line per file with its escaped fields, a message for each file it cannot read, usage for wrong
// arguments, and an exit status that says which.
TEST(TunedeckTags, PrintsALinePerFileAndReportsTheRest) {
    const ProgramFolder folder;
    const QString dir = folder.path();
    const QString mp3 = writeFile(
        dir + u"/song.mp3"_s,
        mp3File({.title = cp932::encode(u"夜明け"), .artist = cp932::encode(u"楽団"), .year = "1999"}, 64));
    const QString rmp =
        writeFile(dir + u"/s\tong.rmp"_s,
                  rmp3File({listChunk({riffChunk("INAM", "a\\b"), riffChunk("ICMT", "two\r\nlines")})}));
    const QString empty = writeFile(dir + u"/empty.mp3"_s, "");
    const QString fifo = dir + u"/fifo.mp3"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString mp3Line = mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t"_s;
    const QString usage = QString::fromUtf8(tags_command::kUsage);
    const auto cannotRead = [](const QString& path, int error) {
        return u"tunedeck-tags: "_s + path + u": "_s + QString::fromLocal8Bit(std::strerror(error)) + u'\n';
    };
    // Each run as its exit status, what it printed and what it reported, apart by "|".
    const std::pair<QStringList, QString> cases[] = {
        {{u"--format"_s, u"%B: %2/%1"_s, mp3, dir + u"/none.mp3"_s, empty, dir, fifo, rmp},
         u"1|"_s + mp3Line + u"song.mp3: 夜明け/楽団\n"_s + empty + u"\t-\t\t\t\t\t\tempty.mp3\n"_s + dir +
             u"/s\\tong.rmp\tRMP3\t\ta\\\\b\t\t\ttwo\\r\\nlines\ts\\tong.rmp: a\\\\b/\n|"_s +
             cannotRead(dir + u"/none.mp3"_s, ENOENT) + cannotRead(dir, EISDIR) + u"tunedeck-tags: "_s +
             fifo + u": not a regular file\n"_s},
        {{u"--"_s, u"--help"_s, u"-"_s},
         u"1||"_s + cannotRead(u"--help"_s, ENOENT) + cannotRead(u"-"_s, ENOENT)},
        {{u"--help"_s}, u"0|"_s + usage + u'|'},
        {{u"--version"_s, u"--bogus"_s},
         u"0|tunedeck-tags "_s + QLatin1String(program_version::kFull) + u"\n|"_s},
        {{u"--format"_s}, u"2||tunedeck-tags: --format needs a format\n"_s + usage},
        {{mp3, u"--bogus"_s}, u"2||tunedeck-tags: unknown option --bogus\n"_s + usage},
        {{}, u"2||tunedeck-tags: no files given\n"_s + usage},
    };
    for (const auto& [arguments, expected] : cases) {
        const ProgramRun run = runProgram(builtProgram(u"tunedeck-tags"_s), arguments);
        EXPECT_EQ(QString::number(run.exitStatus) + u'|' + run.out + u'|' + run.err, expected)
            << arguments.join(u' ').toStdString();
    }

    // Without --format, the display format of the settings file beside the command.
    const QString copy = dir + u"/tunedeck-tags"_s;
    ASSERT_TRUE(QFile::copy(builtProgram(u"tunedeck-tags"_s), copy));
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    EXPECT_EQ(runProgram(copy, {mp3}).out, mp3Line + u"【夜明け】1999\n"_s);
}

}  // namespace
}  // namespace tunedeck::testing
