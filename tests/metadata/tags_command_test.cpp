#include "tags_command.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "program_version.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::tags_command {
namespace {

using namespace tunedeck::testing;

TEST(TagsArguments, FormatOptionAndFiles) {
    using enum Arguments::Request;
    struct Case {
        QStringList arguments;
        std::optional<QString> format;
        QStringList files;
        Arguments::Request request = Tags;
    };
    const Case cases[] = {
        {{u"a.mp3"_s}, std::nullopt, {u"a.mp3"_s}},
        {{u"a.mp3"_s, u"--format"_s, u"%2"_s, u"b.rmp"_s}, u"%2"_s, {u"a.mp3"_s, u"b.rmp"_s}},
        {{u"--format"_s, u""_s, u"a"_s}, u""_s, {u"a"_s}},
        {{u"-"_s, u"-x"_s}, std::nullopt, {u"-"_s, u"-x"_s}},
        {{u"--"_s, u"--format"_s, u"--help"_s}, std::nullopt, {u"--format"_s, u"--help"_s}},
        {{u"a"_s, u"--help"_s}, std::nullopt, {u"a"_s}, Help},
        {{u"--version"_s, u"--bogus"_s}, std::nullopt, {}, Version},
    };
    for (const Case& c : cases) {
        const auto parsed = parseArguments(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Arguments>(parsed))
            << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(std::get<Arguments>(parsed).format, c.format);
        EXPECT_EQ(std::get<Arguments>(parsed).files, c.files);
        EXPECT_EQ(std::get<Arguments>(parsed).request, c.request);
    }
}

TEST(TagsArguments, WrongArgumentsAreRefused) {
    const QStringList cases[] = {
        {}, {u"--format"_s}, {u"--format"_s, u"%1"_s}, {u"a"_s, u"--bogus"_s}, {u"--"_s}};
    for (const QStringList& arguments : cases)
        EXPECT_TRUE(std::holds_alternative<QString>(parseArguments(arguments)))
            << arguments.join(QLatin1Char(' ')).toStdString();
}

TEST(TagsLine, EscapesEveryFieldOntoOneLine) {
    const TagRecord record{
        .artist = u"a\\b"_s, .title = u"t\tt"_s, .album = u"x\r\ny"_s, .release = u""_s, .comment = u"曲"_s};
    EXPECT_EQ(tagsLine(u"/m/s\t.mp3"_s, TagKind::Id3v1, record, u"a\\b - t\tt"_s),
              u"/m/s\\t.mp3\tID3v1\ta\\\\b\tt\\tt\tx\\r\\ny\t\t曲\ta\\\\b - t\\tt"_s);
    EXPECT_EQ(tagsLine(u"f"_s, TagKind::Rmp3, {}, u" - "_s), u"f\tRMP3\t\t\t\t\t\t - "_s);
    EXPECT_EQ(tagsLine(u"f"_s, TagKind::None, {}, u"f"_s), u"f\t-\t\t\t\t\t\tf"_s);
}

struct Finished {
    int exitCode;
    QString out, err;
};

Finished runTags(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

class TunedeckTags : public ::testing::Test {
  protected:
    ProgramFolder folder;
    const QString mp3 = folder.writeFile(
        u"song.mp3"_s,
        mp3File({.title = cp932::encode(u"夜明け"), .artist = cp932::encode(u"楽団"), .year = "1999"}, 64));
    const QString rmp = folder.writeFile(
        u"song.rmp"_s, rmp3File({listChunk({riffChunk("INAM", "Name"), riffChunk("ICMT", "two\r\nlines")})}));
    const QString missing = folder.path() + u"/missing.mp3"_s;
};

TEST_F(TunedeckTags, OnlyRegularFilesThatOpenAreReadable) {
    const QString fifo = folder.path() + u"/fifo.mp3"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        bool readable;
    } cases[] = {{mp3, true},
                 {folder.writeFile(u"empty.mp3"_s, ""), true},
                 {missing, false},
                 {folder.path(), false},
                 {fifo, false}};
    for (const auto& c : cases)
        EXPECT_EQ(unreadableReason(c.path).isEmpty(), c.readable) << c.path.toStdString();
}

TEST_F(TunedeckTags, PrintsOneLinePerFileAndGoesOnPastUnreadableOnes) {
    const QString untagged = folder.writeFile(u"plain.mp3"_s, QByteArray(300, 'x'));
    const Finished run = runTags(QStringLiteral(TUNEDECK_TAGS_BINARY),
                                 {u"--format"_s, u"%B: %2/%1"_s, mp3, missing, untagged, folder.path(), rmp});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\tsong.mp3: 夜明け/楽団\n"_s +  //
                           untagged + u"\t-\t\t\t\t\t\tplain.mp3\n"_s +                       //
                           rmp + u"\tRMP3\t\tName\t\t\ttwo\\r\\nlines\tsong.rmp: Name/\n"_s);
    const QStringList errors = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
    EXPECT_TRUE(errors[0].startsWith(u"tunedeck-tags: "_s + missing + u": "_s)) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].startsWith(u"tunedeck-tags: "_s + folder.path() + u": "_s))
        << errors[1].toStdString();
}

TEST_F(TunedeckTags, UsesTheFormatOfTheProgramBesideIt) {
    // A copy of the command in the temporary folder finds the settings file there.
    const QString copy = folder.path() + u"/tunedeck-tags"_s;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUNEDECK_TAGS_BINARY), copy));
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t楽団 - 夜明け\n"_s);

    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t【夜明け】1999\n"_s);
}

// Usage goes to standard error for wrong arguments, to standard output when asked for.
TEST_F(TunedeckTags, HelpVersionAndWrongArguments) {
    const struct {
        QStringList arguments;
        int exitCode;
        QString out, errStart;
    } cases[] = {
        {{u"--format"_s}, 2, u""_s, u"tunedeck-tags: --format needs a format\nusage: tunedeck-tags"_s},
        {{u"--help"_s}, 0, QString::fromUtf8(kUsage), u""_s},
        {{u"--version"_s},
         0,
         QStringLiteral("tunedeck-tags %1\n").arg(QLatin1String(program_version::kFull)),
         u""_s},
    };
    for (const auto& c : cases) {
        const Finished run = runTags(QStringLiteral(TUNEDECK_TAGS_BINARY), c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err.isEmpty(), c.errStart.isEmpty());
        EXPECT_EQ(run.err.left(c.errStart.size()), c.errStart);
    }
}

}  // namespace
}  // namespace tunedeck::tags_command
