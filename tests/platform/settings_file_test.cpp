#include "settings_file.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
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

using testing::ProgramFolder;
using testing::writeBytes;

TEST(SettingsFile, LivesBesideTheProgramUnderItsName) {
    const ProgramFolder folder(QStringLiteral("TUNEDECK"));
    EXPECT_EQ(folder.settings().path(), folder.path() + u"/TUNEDECK.INI"_s);
    EXPECT_EQ(folder.settings().section(), u"TUNEDECK"_s);
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
    const ProgramFolder folder;
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2000);
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u"MS UI Gothic"_s);

    folder.writeSettingsBytes("[other]\r\nSeparate=5\r\n");
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 2000);

    folder.writeSettingsBytes("[TUNEDECK]\r\nseparate=5\r\nFontName=\r\nFontSize=\r\nWindowLeft=\"\"\r\n");
    EXPECT_EQ(settings.readInt(u"Separate"_s, 2000), 5);
    EXPECT_EQ(settings.readInt(u"WindowTop"_s, 0), 0);
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u""_s);  // empty, not the default
    EXPECT_EQ(settings.readInt(u"FontSize"_s, 9), 9) << "an empty number is no number";
    EXPECT_EQ(settings.readInt(u"WindowLeft"_s, 120), 120);
}

TEST(SettingsFile, LongValuesAreCutAtTheLastWholeCharacterOf1023Bytes) {
    struct Case {
        QByteArray value;
        qsizetype expectedBytes;
    };
    const QByteArray kana = "\x82\xa0";  // あ
    const Case cases[] = {
        {QByteArray(1023, 'a'), 1023},    {QByteArray(1024, 'a'), 1023},
        {QByteArray(5000, 'a'), 1023},    {kana.repeated(600), 1022},  // 1023 would end inside a character
        {"a" + kana.repeated(600), 1023},
    };
    const ProgramFolder folder;
    for (const Case& c : cases) {
        folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + c.value + "\r\n");
        const QString read = folder.settings().readString(u"DisplayFormat"_s, u"%1 - %2"_s);
        EXPECT_EQ(cp932::encode(read), c.value.first(c.expectedBytes));
    }
}

TEST(SettingsFile, JapaneseValuesAreCodePage932OnDisk) {
    const ProgramFolder folder;
    const QString name = QString::fromUtf8("ＭＳ Ｐゴシック〜");
    ASSERT_TRUE(folder.settings().write(u"FontName"_s, name));
    EXPECT_EQ(folder.settingsBytes(),
              "[tunedeck]\r\nFontName=\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e\x81\x60\r\n");
    EXPECT_EQ(folder.settings().readString(u"FontName"_s, u""_s), QString::fromUtf8("ＭＳ Ｐゴシック～"));
}

TEST(SettingsFile, WritesKeepCommentsAndOrder) {
    const ProgramFolder folder;
    folder.writeSettingsBytes("; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=10\r\n[x]\r\ny=1\r\n");
    ASSERT_TRUE(folder.settings().write(u"Separate"_s, 2400));
    ASSERT_TRUE(folder.settings().write(u"WindowState"_s, 2));
    EXPECT_EQ(folder.settingsBytes(),
              "; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=2400\r\nWindowState=2\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(folder.settings().readInt(u"WindowTop"_s, 0), -120);
}

TEST(SettingsFile, WritesThatCannotHappenFailWithoutHarm) {
    {
        const SettingsFile gone(QStringLiteral("/nonexistent/tunedeck-test"), QStringLiteral("tunedeck"));
        EXPECT_FALSE(gone.write(u"Separate"_s, 20));
    }
    {
        // A folder where the file should be: neither readable as a file nor replaceable.
        const ProgramFolder folder;
        ASSERT_TRUE(QDir(folder.path()).mkdir(u"tunedeck.INI"_s));
        EXPECT_FALSE(folder.settings().write(u"Separate"_s, 20));
        EXPECT_EQ(folder.settings().readInt(u"Separate"_s, 7), 7);
    }
    {
        // A folder where nobody may create files, not even the superuser.
        const SettingsFile procfs(QStringLiteral("/proc/self"), QStringLiteral("tunedeck"));
        EXPECT_FALSE(procfs.write(u"Separate"_s, 20));
    }
}

TEST(SettingsFile, ReadOnlyFolderAndUnreadableFileAreLeftAlone) {
    if (getuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders and reads unreadable files";
    const ProgramFolder folder;
    folder.writeSettingsBytes("[tunedeck]\r\nSeparate=10\r\n");
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(folder.settings().write(u"Separate"_s, 20));
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(folder.settingsPath(), QFileDevice::WriteOwner);
    // Rewriting a file that cannot be read would lose the lines it holds.
    EXPECT_FALSE(folder.settings().write(u"Separate"_s, 20));
    QFile::setPermissions(folder.settingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, 0), 10);
}

TEST(SettingsFile, ValuesWithLineBreaksAreRefused) {
    const ProgramFolder folder;
    EXPECT_FALSE(folder.settings().write(u"DisplayFormat"_s, u"%1\r\n[evil]"_s));
    EXPECT_FALSE(QFile::exists(folder.settingsPath()));
}

// A clock far ahead of every file's last change: the values of a file that stays the same are kept from
// the first read on, as for a file that has been still for a long time.
timespec farAhead() {
    return {std::numeric_limits<time_t>::max() / 2, 0};
}

void writeFormat(const QString& path, const QByteArray& format) {
    writeBytes(path, "[tunedeck]\r\nDisplayFormat=" + format + "\r\n");
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
        const QString other = c.reach == Reach::Beside ? folder.settingsPath()
                                                       : synced.filePath(QStringLiteral("tunedeck.INI"));
        writeFormat(other, "%1");
        if (c.reach == Reach::SymbolicLink) {
            ASSERT_TRUE(QFile::link(other, folder.settingsPath()));
        } else if (c.reach == Reach::HardLink) {
            ASSERT_EQ(::link(QFile::encodeName(other), QFile::encodeName(folder.settingsPath())), 0);
        }
        const SettingsFile settings(folder.path(), QStringLiteral("tunedeck"), farAhead);
        ASSERT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), u"%1"_s);

        c.change(settings, other);
        EXPECT_EQ(settings.readString(u"DisplayFormat"_s, u"default"_s), QLatin1String(c.expected));
        // The other name shows the same file: the program's writes do not split it off.
        const SettingsFile otherName(QFileInfo(other).path(), QStringLiteral("tunedeck"));
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
