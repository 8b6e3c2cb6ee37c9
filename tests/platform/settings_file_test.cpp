#include "settings_file.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

// An empty text is a value, an empty number none; a write keeps the rest of the file.
TEST(SettingsFile, ReadsAndWritesTheFileBesideTheProgramInCodePage932) {
    const ProgramFolder folder(u"TUNEDECK"_s);
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.path(), folder.path() + u"/TUNEDECK.INI"_s);
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2000);
    folder.writeSettingsBytes(
        "; mine\r\n[TUNEDECK]\r\nFontName=\r\nFontSize=\r\nSeparate=10\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u""_s);
    EXPECT_EQ(settings.readInt(u"FontSize"_s, 9), 9);
    ASSERT_TRUE(settings.write(u"Separate"_s, 2400));
    ASSERT_TRUE(settings.write(u"FontName"_s, u"ＭＳ ゴシック〜"_s));
    EXPECT_EQ(folder.settingsBytes(),
              "; mine\r\n[TUNEDECK]\r\nFontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\x81\x60\r\n"
              "FontSize=\r\nSeparate=2400\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(settings.readString(u"FontName"_s, u""_s), u"ＭＳ ゴシック～"_s);
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2400);
}

// A long value is cut at the last whole character of 1,023 bytes, however its bytes look.
TEST(SettingsFile, LongValuesAreCutAtTheLastWholeCharacterOf1023Bytes) {
    const QByteArray wide = "\x82\x88";  // a trail byte in the lead byte range
    const ProgramFolder folder;
    for (const auto& [value, kept] :
         {std::pair{wide.repeated(600), 1022}, {"a" + wide.repeated(600), 1023}}) {
        folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + value + "\r\n");
        EXPECT_EQ(cp932::encode(folder.settings().readString(u"DisplayFormat"_s, u""_s)), value.first(kept));
    }
}

TEST(SettingsFile, WritesThatCannotHappenFailWithoutHarm) {
    const ProgramFolder folder;
    EXPECT_FALSE(folder.settings().write(u"DisplayFormat"_s, u"%1\r\n[evil]"_s));
    EXPECT_FALSE(QFile::exists(folder.settingsPath()));
    // A folder in the file's place can be neither read nor replaced.
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"tunedeck.INI"_s));
    EXPECT_FALSE(folder.settings().write(u"Separate"_s, 20));
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, 7), 7);
    EXPECT_FALSE(SettingsFile(u"/nonexistent/tunedeck-test"_s, u"tunedeck"_s).write(u"Separate"_s, 20));
}

void writeFormat(const QString& path, const QByteArray& format) {
    writeFile(path, "[tunedeck]\r\nDisplayFormat=" + format + "\r\n");
}

// Settings kept in another folder (a synced one, say) that tunedeck.INI links to, changed there or by the
// program, seen alike through both names. An edit in place keeps the file, as an editor writing through a
// link does; its new value is longer, so that a change within one timestamp tick still shows.
TEST(SettingsFile, EveryReadSeesTheFileAsItIsNowThroughEitherLink) {
    enum class Change { EditOther, RemoveOther, WriteOwn };
    const struct {
        const char* name;
        bool hardLink;
        Change change;
        const char* expected;
    } cases[] = {
        {"target edited in place", false, Change::EditOther, "%2 - %1"},
        {"target removed", false, Change::RemoveOther, "default"},
        {"own write through the link", false, Change::WriteOwn, "%2"},
        {"own write through a hard link", true, Change::WriteOwn, "%2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramFolder folder;
        const QTemporaryDir synced;
        const QString other = synced.filePath(u"tunedeck.INI"_s);
        writeFormat(other, "%1");
        if (c.hardLink)
            ASSERT_EQ(::link(QFile::encodeName(other), QFile::encodeName(folder.settingsPath())), 0);
        else
            ASSERT_TRUE(QFile::link(other, folder.settingsPath()));
        const SettingsFile settings = folder.settings();
        ASSERT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), u"%1"_s);

        if (c.change == Change::EditOther)
            writeFormat(other, "%2 - %1");
        else if (c.change == Change::RemoveOther)
            ASSERT_TRUE(QFile::remove(other));
        else
            ASSERT_TRUE(settings.write(u"DisplayFormat"_s, u"%2"_s));
        EXPECT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), QLatin1String(c.expected));
        // The other name shows the same file: the program's writes do not split it off.
        const SettingsFile otherName(synced.path(), u"tunedeck"_s);
        EXPECT_EQ(otherName.readString(u"DisplayFormat"_s, u"default"_s), QLatin1String(c.expected));
    }
}

// A rewrite in place that the disk cannot take (here a file size limit) leaves the old settings whole.
TEST(SettingsFile, AnInPlaceWriteCutShortKeepsTheOldFile) {
    const ProgramFolder folder;
    writeFormat(folder.settingsPath(), "%1");
    ASSERT_EQ(::link(QFile::encodeName(folder.settingsPath()), QFile::encodeName(folder.path() + u"/x"_s)),
              0);
    const QByteArray old = folder.settingsBytes();
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{rlim_t(old.size() + 8), previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = folder.settings().write(u"DisplayFormat"_s, QString(64, u'x'));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.settingsBytes(), old);
}

}  // namespace
}  // namespace tunedeck
