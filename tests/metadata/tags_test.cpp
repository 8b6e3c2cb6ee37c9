// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp932.h"
#include "display_title.h"
#include "local_path.h"
#include "program_folder.h"
#include "program_version.h"
#include "qt_printers.h"
#include "tags_command.h"
#include "title_format.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const auto inam = [](QByteArrayView text) { return riffChunk("INAM", text); };

const QByteArray kTag = id3v1Tag({.title = "Tag Title", .artist = "Tag Artist"});

// A file and what reading it gives: the kind, then the texts as artist|title|album|release|comment.
const std::pair<QByteArray, QString> kCases[] = {
    // RMP3 texts behind a pad byte, a second LIST of another type replacing, RIFF size and ID3v1 tag unread
    {rmp3File({riffChunk("fmt ", "abc"),
               listChunk({riffChunk("IART", cp932::encode(u"テスト楽団 ") + '\0'),
                          riffChunkClaiming("INAM", 5, "Hellox"), riffChunk("IPRD", "one"),
                          riffChunk("ICRD", "1999"), riffChunk("ICMT", "  live  "), riffChunk("ISFT", "x")}),
               riffChunk("data", QByteArray(33, 'x')), listChunk({riffChunk("IPRD", "two")}, "adtl"), kTag},
              4),
     u"RMP3|テスト楽団 |Hellox|two|1999|live"_s},
    // the last sub-chunk of size 0 not read
    {rmp3File({listChunk({inam("first"), inam("")})}), u"RMP3||first|||"_s},
    // a LIST beyond one read ahead: a long text cut at 64 KiB, another on a whole character
    {rmp3File(
         {listChunk({riffChunk("ICMT", QByteArray(70'000, 'c')),
                     inam(QByteArray(65'535, 'a') + cp932::encode(u"あい")), riffChunk("IART", "late")})}),
     u"RMP3|late|"_s + QString(65'535, u'a') + u"|||"_s + QString(65'536, u'c')},
    // Floods: the walk stops, and an RMP3 file is still not read for its ID3v1 tag. More chunks before the
    // LIST than the walk reads, more empty sub-chunks, more long texts.
    {rmp3File({riffChunk("JUNK", "").repeated(65'536), listChunk({inam("x")})}) + kTag, u"RMP3|||||"_s},
    {rmp3File({listChunk({riffChunk("JUNK", "").repeated(65'536), inam("x")})}), u"RMP3|||||"_s},
    {rmp3File({listChunk({riffChunk("IART", QByteArray(65'536, 'a')).repeated(8), inam("x")})}),
     u"RMP3|"_s + QString(65'536, u'a') + u"||||"_s},
    // Damage: the walk stops quietly with what it has. A text the end cuts short sets nothing, and a list
    // that claims megabytes keeps what it holds (its size's third byte set, not the top one); a sub-chunk
    // size beyond 31 bits once padded.
    {rmp3File({riffChunkClaiming("LIST", 40, "INFO" + inam("kept") + riffChunkClaiming("IART", 5, "Hello"))}),
     u"RMP3||kept|||"_s},
    {rmp3File({riffChunkClaiming("LIST", 0x800000, "INFO" + inam("x"))}), u"RMP3||x|||"_s},
    {rmp3File({listChunk({inam("kept"), riffChunkClaiming("IART", 0x7FFFFFFF, "a")})}), u"RMP3||kept|||"_s},
    // a wave file
    {riffChunkClaiming("RIFF", 16, "WAVE" + listChunk({inam("x")})) + kTag,
     u"ID3v1|Tag Artist|Tag Title|||"_s},
    // ID3v1 padded with spaces, only they trimmed; a field full; a file that is just the tag
    {id3v1Tag(
         {.title = QByteArray(30, 'x'), .artist = " A", .album = cp932::encode(u"\u3000B"), .padding = ' '}),
     u"ID3v1|A|"_s + QString(30, u'x') + u"|\u3000B||"_s},
    // ID3v1 padded with NULs, the spaces before them kept; the ID3v1.1 track not read
    {mp3File({.artist = " A", .album = cp932::encode(u"夜明け①"), .year = "1999", .comment = "C", .track = 7},
             9),
     u"ID3v1| A||夜明け①|1999|C"_s},
    // a file shorter than a tag, starting with one; a tag not at the end
    {kTag.first(3 + 30 + 30 + 5), u"ID3v1|Tag Artist|Tag Title|||"_s},
    {kTag + "x", u"-|||||"_s}};

// Every reading starts from a clean record and closes its file, also where the file cannot be read.
TEST(ReadTags, Rmp3ThenId3v1StoppingQuietlyAtDamageAndClosingEveryFile) {
    const QTemporaryDir folder;
    const auto descriptors = QDir(u"/proc/self/fd"_s).count();
    const QString kinds[] = {u"-"_s, u"RMP3"_s, u"ID3v1"_s};
    for (const auto& [file, expected] : kCases) {
        SCOPED_TRACE(expected.left(40).toStdString());
        TagRecord record{.artist = u"stale"_s, .title = u"stale"_s, .minutes = 3, .seconds = 4};
        const TagKind kind = readTags(writeFile(folder.filePath(u"song"_s), file), record);
        const QStringList read{kinds[int(kind)], record.artist,  record.title,
                               record.album,     record.release, record.comment};
        EXPECT_EQ(std::pair(read.join(u'|'), record.minutes + record.seconds), std::pair(expected, 0));
    }
    for (const QString& unreadable : {folder.filePath(u"absent"_s), folder.path()}) {
        TagRecord record{.title = u"stale"_s};
        EXPECT_TRUE(readTags(unreadable, record) == TagKind::None && record == TagRecord{});
    }
    EXPECT_EQ(QDir(u"/proc/self/fd"_s).count(), descriptors);
}

// Not trimmed; "\" is no separator; the character after "%" is dropped whole, and a last "%".
TEST(FormatDisplayTitle, FillsEveryPlaceholderAndDropsUnknownOnes) {
    const TagRecord record{u"Artist"_s, u"Title"_s, u"Album"_s, u"1999"_s, u"Note"_s};
    EXPECT_EQ(formatDisplayTitle(u"  「%1 - %2」%3%4[%5]|%A|%a|%B|%b|100%% %%1|%x%Z%0%6%-%テ%😀x  %"_s,
                                 u"/music/a\\b.mp3"_s, record),
              u"  「Artist - Title」Album1999[Note]|:00|:00|a\\b.mp3|a\\b.mp3|100% %1|x  "_s);
}

// One line per file with its escaped fields, a message for each file it cannot read, usage for wrong
// arguments, and an exit status that says which.
TEST(TunedeckTags, PrintsALinePerFileAndReportsTheRest) {
    const ProgramFolder folder;
    const QString dir = folder.path(), tags = builtProgram(u"tunedeck-tags"_s);
    const QString mp3 = writeFile(
        dir + u"/song.mp3"_s,
        mp3File({.title = cp932::encode(u"夜明け"), .artist = cp932::encode(u"楽団"), .year = "1999"}, 64));
    const QString rmp =
        writeFile(dir + u"/s\tong.rmp"_s,
                  rmp3File({listChunk({riffChunk("IART", "\x1b[2J\a\x80\x7f"), riffChunk("INAM", "a\\b"),
                                       riffChunk("ICMT", "two\r\nlines")})}));
    const QString empty = writeFile(dir + u"/empty.mp3"_s, ""), fifo = dir + u"/fifo.mp3"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(dir + u'/' + pathFromBytes("\x83\x65\x83\x58\x83\x67.mp3"), mp3File({.title = "x"}, 64));
    ASSERT_TRUE(QFile::copy(tags, dir + u"/tunedeck-tags"_s));
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    const QString mp3Line = mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t"_s,
                  usage = QString::fromUtf8(tags_command::kUsage);
    const auto cannotRead = [](const QString& path, int error) {
        return u"tunedeck-tags: "_s + path + u": "_s + QString::fromLocal8Bit(std::strerror(error)) + u'\n';
    };
    // Each run, the program first, as its exit status, what it printed and what it reported, apart by "|".
    const std::pair<QStringList, QString> cases[] = {
        {{tags, u"--format"_s, u"%B: %2/%1"_s, mp3, dir + u"/none\u001b[2J.mp3"_s, empty, dir, fifo, rmp},
         u"1|"_s + mp3Line + u"song.mp3: 夜明け/楽団\n"_s + empty + u"\t-\t\t\t\t\t\tempty.mp3\n"_s + dir +
             u"/s\\tong.rmp\tRMP3\t\\x1b[2J\\x07\\x80\\x7f\ta\\\\b\t\t\ttwo\\r\\nlines\ts\\tong.rmp: "_s
             u"a\\\\b/\\x1b[2J\\x07\\x80\\x7f\n|"_s +
             cannotRead(dir + u"/none\\x1b[2J.mp3"_s, ENOENT) + cannotRead(dir, EISDIR) +
             u"tunedeck-tags: "_s + fifo + u": not a regular file\n"_s},
        {{tags, u"--"_s, u"--help"_s, u"-"_s},
         u"1||"_s + cannotRead(u"--help"_s, ENOENT) + cannotRead(u"-"_s, ENOENT)},
        {{tags, u"--help"_s}, u"0|"_s + usage + u'|'},
        {{tags, u"--version"_s, u"--bogus"_s},
         u"0|tunedeck-tags "_s + QLatin1String(program_version::kFull) + u"\n|"_s},
        {{tags, u"--format"_s}, u"2||tunedeck-tags: --format needs a format\n"_s + usage},
        {{tags, mp3, u"--bogus"_s}, u"2||tunedeck-tags: unknown option --bogus\n"_s + usage},
        {{tags}, u"2||tunedeck-tags: no files given\n"_s + usage},
        // Names that are not UTF-8 come by their bytes (a shell passes them as they are): one in Shift-JIS is
        // read and shown decoded, one that decodes as nothing shows its bytes escaped.
        {{u"/bin/sh"_s, u"-c"_s, u"cd \"$0\" && exec \"$1\" $(printf '\\203e\\203X\\203g.mp3 x\\203.mp3')"_s,
          dir, tags},
         u"1|テスト.mp3\tID3v1\t\tx\t\t\t\t - x\n|"_s + cannotRead(u"x\\x83.mp3"_s, ENOENT)},
        // Without --format, the display format of the settings file beside the command.
        {{dir + u"/tunedeck-tags"_s, mp3}, u"0|"_s + mp3Line + u"【夜明け】1999\n|"_s}};
    for (const auto& [command, expected] : cases)
        EXPECT_EQ(runProgram(command[0], command.mid(1)).said(), expected)
            << command.join(u' ').toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
