#include "tags_command.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace tunedeck::tags_command {
namespace {

using namespace tunedeck::testing;

TEST(TagsArguments, FormatOptionAndFiles) {
    struct Case {
        QStringList arguments;
        std::optional<QString> format;
        QStringList files;
    };
    const Case cases[] = {
        {{"a.mp3"}, std::nullopt, {"a.mp3"}},
        {{"a.mp3", "--format", "%2", "b.rmp"}, "%2", {"a.mp3", "b.rmp"}},
        {{"--format", "", "a"}, "", {"a"}},
        {{"-", "-x"}, std::nullopt, {"-", "-x"}},
        {{"--", "--format", "--"}, std::nullopt, {"--format", "--"}},
    };
    for (const Case& c : cases) {
        const auto parsed = parseArguments(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Arguments>(parsed)) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(std::get<Arguments>(parsed).format, c.format);
        EXPECT_EQ(std::get<Arguments>(parsed).files, c.files);
    }
}

TEST(TagsArguments, WrongArgumentsAreRefused) {
    const QStringList cases[] = {{}, {"--format"}, {"--format", "%1"}, {"a", "--help"}, {"--"}};
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

TEST_F(TunedeckTags, PrintsOneLinePerFileAndGoesOnPastUnreadableOnes) {
    const Finished run = runTags(TUNEDECK_TAGS_BINARY, {"--format", "%B: %2/%1", mp3, missing, rmp});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\tsong.mp3: 夜明け/楽団\n"_qs +  //
                           missing + "\t-\t\t\t\t\t\tmissing.mp3\n" +                          //
                           rmp + "\tRMP3\t\tName\t\t\ttwo\\r\\nlines\tsong.rmp: Name/\n");
}

TEST_F(TunedeckTags, UsesTheFormatOfTheProgramBesideIt) {
    // A copy of the command in the temporary folder finds the settings file there.
    const QString copy = folder.path() + "/tunedeck-tags";
    ASSERT_TRUE(QFile::copy(TUNEDECK_TAGS_BINARY, copy));
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t楽団 - 夜明け\n"_qs);

    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"【%2】%4") + "\r\n");
    EXPECT_EQ(runTags(copy, {mp3}).out, mp3 + u"\tID3v1\t楽団\t夜明け\t\t1999\t\t【夜明け】1999\n"_qs);
}

TEST_F(TunedeckTags, WrongArgumentsExitWithUsage) {
    const Finished run = runTags(TUNEDECK_TAGS_BINARY, {"--format"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.contains("usage: tunedeck-tags")) << run.err.toStdString();
}

}  // namespace
}  // namespace tunedeck::tags_command
