#include "settings_file.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <limits>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

TEST(SettingsFile, ReadsBesideTheProgramWithDefaultsForWhatIsMissingOrEmpty) {
    const ProgramFolder folder(u"TUNEDECK"_s);
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.path(), folder.path() + u"/TUNEDECK.INI"_s);
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2000);
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u"MS UI Gothic"_s);

    folder.writeSettingsBytes(
        "[other]\r\nWindowTop=5\r\n"
        "[TUNEDECK]\r\nSeparate=2400\r\nFontName=\r\nFontSize=\r\nWindowLeft=\"\"\r\n");
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2400);
    EXPECT_EQ(settings.readInt(u"WindowTop"_s, 0), 0);
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u""_s);  // empty, not the default
    EXPECT_EQ(settings.readInt(u"FontSize"_s, 9), 9);                         // an empty number is no number
    EXPECT_EQ(settings.readInt(u"WindowLeft"_s, 120), 120);
}

TEST(SettingsFile, LongValuesAreCutAtTheLastWholeCharacterOf1023Bytes) {
    const QByteArray wide = "\x82\x88";  // a trail byte in the lead byte range
    const std::pair<QByteArray, qsizetype> cases[] = {{QByteArray(1023, 'a'), 1023},
                                                      {QByteArray(1024, 'a'), 1023},
                                                      {wide.repeated(600), 1022},
                                                      {"a" + wide.repeated(600), 1023}};
    const ProgramFolder folder;
    for (const auto& [value, kept] : cases) {
        folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + value + "\r\n");
        EXPECT_EQ(cp932::encode(folder.settings().readString(u"DisplayFormat"_s, u""_s)), value.first(kept));
    }
}

TEST(SettingsFile, WritesCodePage932KeepingTheRestOfTheFile) {
    const ProgramFolder folder;
    folder.writeSettingsBytes("; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=10\r\n[x]\r\ny=1\r\n");
    ASSERT_TRUE(folder.settings().write(u"Separate"_s, 2400));
    ASSERT_TRUE(folder.settings().write(u"FontName"_s, u"ＭＳ ゴシック〜"_s));
    EXPECT_EQ(folder.settingsBytes(),
              "; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=2400\r\n"
              "FontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\x81\x60\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(folder.settings().readString(u"FontName"_s, u""_s), u"ＭＳ ゴシック～"_s);
}

TEST(SettingsFile, WritesThatCannotHappenFailWithoutHarm) {
    const ProgramFolder folder;
    EXPECT_FALSE(folder.settings().write(u"DisplayFormat"_s, u"%1\r\n[evil]"_s));
    EXPECT_FALSE(QFile::exists(folder.settingsPath()));
    // A folder in the file's place can be neither read nor replaced.
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"tunedeck.INI"_s));
    EXPECT_FALSE(folder.settings().write(u"Separate"_s, 20));
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, 7), 7);
    // No folder, and one where nobody may create files, not even the superuser.
    for (const QString& where : {u"/nonexistent/tunedeck-test"_s, u"/proc/self"_s})
        EXPECT_FALSE(SettingsFile(where, u"tunedeck"_s).write(u"Separate"_s, 20)) << where.toStdString();
}

// A clock far ahead of every file's last change: the values of a file that stays the same are kept from
// the first read on, as for a file that has been still for a long time.
timespec farAhead() {
    return {std::numeric_limits<time_t>::max() / 2, 0};
}

void writeFormat(const QString& path, const QByteArray& format) {
    writeFile(path, "[tunedeck]\r\nDisplayFormat=" + format + "\r\n");
}

// Settings kept in another folder (a synced one, say) that tunedeck.INI links to, changed there or by the
// program, seen alike through both names. Edits in place keep the file, as an editor writing through a link
// does; their new value is longer, so that a change within one timestamp tick still shows.
TEST(SettingsFile, EveryReadSeesTheFileAsItIsNowThroughAnyLink) {
    enum class Reach { Beside, SymbolicLink, HardLink };
    using Change = std::function<void(const SettingsFile& settings, const QString& other)>;
    const Change editInPlace = [](const SettingsFile&, const QString& other) {
        writeFormat(other, "%2 - %1");
    };
    const Change replace = [](const SettingsFile&, const QString& other) {
        writeFormat(other + u".new"_s, "%2 - %1");
        ASSERT_EQ(std::rename(QFile::encodeName(other + u".new"_s), QFile::encodeName(other)), 0);
    };
    const Change remove = [](const SettingsFile&, const QString& other) {
        ASSERT_TRUE(QFile::remove(other));
    };
    const Change ownWrite = [](const SettingsFile& settings, const QString&) {
        ASSERT_TRUE(settings.write(u"DisplayFormat"_s, u"%2"_s));
    };
    const struct {
        const char* name;
        Reach reach;
        Change change;
        const char* expected;
    } cases[] = {
        {"edited in place", Reach::Beside, editInPlace, "%2 - %1"},
        {"target edited in place", Reach::SymbolicLink, editInPlace, "%2 - %1"},
        {"target replaced in its folder", Reach::SymbolicLink, replace, "%2 - %1"},
        {"target removed", Reach::SymbolicLink, remove, "default"},
        {"own write through the link", Reach::SymbolicLink, ownWrite, "%2"},
        {"other name edited in place", Reach::HardLink, editInPlace, "%2 - %1"},
        {"own write through a hard link", Reach::HardLink, ownWrite, "%2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramFolder folder;
        const QTemporaryDir synced;
        const QString other =
            c.reach == Reach::Beside ? folder.settingsPath() : synced.filePath(u"tunedeck.INI"_s);
        writeFormat(other, "%1");
        if (c.reach == Reach::SymbolicLink) {
            ASSERT_TRUE(QFile::link(other, folder.settingsPath()));
        } else if (c.reach == Reach::HardLink) {
            ASSERT_EQ(::link(QFile::encodeName(other), QFile::encodeName(folder.settingsPath())), 0);
        }
        const SettingsFile settings(folder.path(), u"tunedeck"_s, farAhead);
        ASSERT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), u"%1"_s);

        c.change(settings, other);
        EXPECT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), QLatin1String(c.expected));
        // The other name shows the same file: the program's writes do not split it off.
        const SettingsFile otherName(QFileInfo(other).path(), u"tunedeck"_s);
        EXPECT_EQ(otherName.readString(u"DisplayFormat"_s, u"default"_s), QLatin1String(c.expected));
    }
}

// A file changed within the timestamp tick of a read can change again within it and keep its size and
// times: the second edit is seen all the same.
TEST(SettingsFile, AnEditWithinTheTickOfTheLastReadIsSeen) {
    const ProgramFolder folder;
    writeFormat(folder.settingsPath(), "%1");
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.readString(u"DisplayFormat"_s, u""_s), u"%1"_s);
    writeFormat(folder.settingsPath(), "%2");
    EXPECT_EQ(settings.readString(u"DisplayFormat"_s, u""_s), u"%2"_s);
}

}  // namespace
}  // namespace tunedeck
