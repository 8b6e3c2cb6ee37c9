#include "tags_command.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "program_version.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

#include <gtest/gtest.h>

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
        {{"a.mp3"}, std::nullopt, {"a.mp3"}},
        {{"a.mp3", "--format", "%2", "b.rmp"}, "%2", {"a.mp3", "b.rmp"}},
        {{"--format", "", "a"}, "", {"a"}},
        {{"-", "-x"}, std::nullopt, {"-", "-x"}},
        {{"--", "--format", "--help"}, std::nullopt, {"--format", "--help"}},
        {{"a", "--help"}, std::nullopt, {"a"}, Help},
        {{"--version", "--bogus"}, std::nullopt, {}, Version},
    };
    for (const Case& c : cases) {
        const auto parsed = parseArguments(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Arguments>(parsed)) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(std::get<Arguments>(parsed).format, c.format);
        EXPECT_EQ(std::get<Arguments>(parsed).files, c.files);
        EXPECT_EQ(std::get<Arguments>(parsed).request, c.request);
    }
}

TEST(TagsArguments, WrongArgumentsAreRefused) {
    const QStringList cases[] = {{}, {"--format"}, {"--format", "%1"}, {"a", "--bogus"}, {"--"}};
    for (const QStringList& arguments : cases)
        EXPECT_TRUE(std::holds_alternative<QString>(parseArguments(arguments)))
            << arguments.join(' ').toStdString();
}

TEST(TagsLine, EscapesEveryFieldOntoOneLine) {
    const TagRecord record{
        .artist = "a\\b", .title = "t\tt", .album = "x\r\ny", .release = "", .comment = u"曲"_qs};
    EXPECT_EQ(tagsLine("/m/s\t.mp3", TagKind::Id3v1, record, "a\\b - t\tt"),
              u"/m/s\\t.mp3\tID3v1\ta\\\\b\tt\\tt\tx\\r\\ny\t\t曲\ta\\\\b - t\\tt"_qs);
    EXPECT_EQ(tagsLine("f", TagKind::Rmp3, {}, " - "), "f\tRMP3\t\t\t\t\t\t - ");
    EXPECT_EQ(tagsLine("f", TagKind::None, {}, "f"), "f\t-\t\t\t\t\t\tf");
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
        "song.mp3",
        mp3File({.title = cp932::encode(u"夜明け"), .artist = cp932::encode(u"楽団"), .year = "1999"}, 64));
    const QString rmp = folder.writeFile(
        "song.rmp", rmp3File({listChunk({riffChunk("INAM", "Name"), riffChunk("ICMT", "two\r\nlines")})}));
    const QString missing = folder.path() + "/missing.mp3";
};

TEST_F(TunedeckTags, OnlyRegularFilesThatOpenAreReadable) {
    const QString fifo = folder.path() + "/fifo.mp3";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        bool readable;
    } cases[] = {{mp3, true},
                 {folder.writeFile("empty.mp3", ""), true},
                 {missing, false},
                 {folder.path(), false},
                 {fifo, false}};
    for (const auto& c : cases)
        EXPECT_EQ(unreadableReason(c.path).isEmpty(), c.readable) << c.path.toStdString();
}

TEST_F(TunedeckTags, PrintsOneLinePerFileAndGoesOnPastUnreadableOnes) {
    const QString untagged = folder.writeFile("plain.mp3", QByteArray(300, 'x'));
    const Finished run =
        runTags(TUNEDECK_TAGS_BINARY, {"--format", "%B: %2/%1", mp3, missing, untagged, folder.path(), rmp});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\tsong.mp3: 夜明け/楽団\n"_qs +  //
                           untagged + "\t-\t\t\t\t\t\tplain.mp3\n" +                           //
                           rmp + "\tRMP3\t\tName\t\t\ttwo\\r\\nlines\tsong.rmp: Name/\n");
    const QStringList errors = run.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
    EXPECT_TRUE(errors[0].startsWith("tunedeck-tags: " + missing + ": ")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].startsWith("tunedeck-tags: " + folder.path() + ": ")) << errors[1].toStdString();
}

TEST_F(TunedeckTags, UsesTheFormatOfTheProgramBesideIt) {
    // A copy of the command in the temporary folder finds the settings file there.
    const QString copy = folder.path() + "/tunedeck-tags";
    ASSERT_TRUE(QFile::copy(TUNEDECK_TAGS_BINARY, copy));
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t楽団 - 夜明け\n"_qs);

    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t【夜明け】1999\n"_qs);
}

// Usage goes to standard error for wrong arguments, to standard output when asked for.
TEST_F(TunedeckTags, HelpVersionAndWrongArguments) {
    const struct {
        QStringList arguments;
        int exitCode;
        QString out, errStart;
    } cases[] = {
        {{"--format"}, 2, "", "tunedeck-tags: --format needs a format\nusage: tunedeck-tags"},
        {{"--help"}, 0, kUsage, ""},
        {{"--version"}, 0, QStringLiteral("tunedeck-tags %1\n").arg(program_version::kFull), ""},
    };
    for (const auto& c : cases) {
        const Finished run = runTags(TUNEDECK_TAGS_BINARY, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err.isEmpty(), c.errStart.isEmpty());
        EXPECT_EQ(run.err.left(c.errStart.size()), c.errStart);
    }
}

}  // namespace
}  // namespace tunedeck::tags_command
