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

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

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
    const QString missing = u": "_s + reason(ENOENT) + u"\n"_s;
    const struct {
        QStringList arguments;
        int exitStatus;
        QString out, err;
    } cases[] = {
        {{u"--format"_s, u"%B: %2/%1"_s, mp3, dir + u"/none.mp3"_s, empty, dir, fifo, rmp},
         1,
         mp3Line + u"song.mp3: 夜明け/楽団\n"_s + empty + u"\t-\t\t\t\t\t\tempty.mp3\n"_s + dir +
             u"/s\\tong.rmp\tRMP3\t\ta\\\\b\t\t\ttwo\\r\\nlines\ts\\tong.rmp: a\\\\b/\n"_s,
         u"tunedeck-tags: "_s + dir + u"/none.mp3"_s + missing + u"tunedeck-tags: "_s + dir + u": "_s +
             reason(EISDIR) + u"\ntunedeck-tags: "_s + fifo + u": not a regular file\n"_s},
        {{u"--format"_s, u""_s, mp3}, 0, mp3Line + u"\n"_s, u""_s},
        {{u"--"_s, u"--help"_s, u"-"_s},
         1,
         u""_s,
         u"tunedeck-tags: --help"_s + missing + u"tunedeck-tags: -"_s + missing},
        {{u"--help"_s}, 0, usage, u""_s},
        {{u"--version"_s, u"--bogus"_s},
         0,
         u"tunedeck-tags "_s + QLatin1String(program_version::kFull) + u'\n',
         u""_s},
        {{u"--format"_s}, 2, u""_s, u"tunedeck-tags: --format needs a format\n"_s + usage},
        {{mp3, u"--bogus"_s}, 2, u""_s, u"tunedeck-tags: unknown option --bogus\n"_s + usage},
        {{}, 2, u""_s, u"tunedeck-tags: no files given\n"_s + usage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const ProgramRun run = runProgram(builtProgram(u"tunedeck-tags"_s), c.arguments);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }

    // Without --format, the display format of the settings file beside the command.
    const QString copy = dir + u"/tunedeck-tags"_s;
    ASSERT_TRUE(QFile::copy(builtProgram(u"tunedeck-tags"_s), copy));
    EXPECT_EQ(runProgram(copy, {mp3}).out, mp3Line + u"楽団 - 夜明け\n"_s);
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    EXPECT_EQ(runProgram(copy, {mp3}).out, mp3Line + u"【夜明け】1999\n"_s);
}

}  // namespace
}  // namespace tunedeck::testing
