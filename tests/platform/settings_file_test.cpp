#include "settings_file.h"

#include "cp932.h"
#include "program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tunedeck {
namespace {

using testing::ProgramFolder;

TEST(SettingsFile, LivesBesideTheProgramUnderItsName) {
    const ProgramFolder folder(QStringLiteral("TUNEDECK"));
    EXPECT_EQ(folder.settings().path(), folder.path() + "/TUNEDECK.INI");
    EXPECT_EQ(folder.settings().section(), "TUNEDECK");
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
    const ProgramFolder folder;
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.readInt("Separate", 2000), 2000);
    EXPECT_EQ(settings.readString("FontName", "MS UI Gothic"), "MS UI Gothic");

    folder.writeSettingsBytes("[other]\r\nSeparate=5\r\n");
    EXPECT_EQ(settings.readInt("Separate", 2000), 2000);

    folder.writeSettingsBytes("[TUNEDECK]\r\nseparate=5\r\nFontName=\r\nFontSize=\r\nWindowLeft=\"\"\r\n");
    EXPECT_EQ(settings.readInt("Separate", 2000), 5);
    EXPECT_EQ(settings.readInt("WindowTop", 0), 0);
    EXPECT_EQ(settings.readString("FontName", "MS UI Gothic"), "");  // empty, not the default
    EXPECT_EQ(settings.readInt("FontSize", 9), 9) << "an empty number is no number";
    EXPECT_EQ(settings.readInt("WindowLeft", 120), 120);
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
        const QString read = folder.settings().readString("DisplayFormat", "%1 - %2");
        EXPECT_EQ(cp932::encode(read), c.value.first(c.expectedBytes));
    }
}

TEST(SettingsFile, JapaneseValuesAreCodePage932OnDisk) {
    const ProgramFolder folder;
    const QString name = QString::fromUtf8("ＭＳ Ｐゴシック〜");
    ASSERT_TRUE(folder.settings().write("FontName", name));
    EXPECT_EQ(folder.settingsBytes(),
              "[tunedeck]\r\nFontName=\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e\x81\x60\r\n");
    EXPECT_EQ(folder.settings().readString("FontName", ""), QString::fromUtf8("ＭＳ Ｐゴシック～"));
}

TEST(SettingsFile, WritesKeepCommentsAndOrder) {
    const ProgramFolder folder;
    folder.writeSettingsBytes("; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=10\r\n[x]\r\ny=1\r\n");
    ASSERT_TRUE(folder.settings().write("Separate", 2400));
    ASSERT_TRUE(folder.settings().write("WindowState", 2));
    EXPECT_EQ(folder.settingsBytes(),
              "; mine\r\n[tunedeck]\r\nWindowTop=-120\r\nSeparate=2400\r\nWindowState=2\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(folder.settings().readInt("WindowTop", 0), -120);
}

TEST(SettingsFile, WritesThatCannotHappenFailWithoutHarm) {
    {
        const SettingsFile gone(QStringLiteral("/nonexistent/tunedeck-test"), QStringLiteral("tunedeck"));
        EXPECT_FALSE(gone.write("Separate", 20));
    }
    {
        // A folder where the file should be: neither readable as a file nor replaceable.
        const ProgramFolder folder;
        ASSERT_TRUE(QDir(folder.path()).mkdir("tunedeck.INI"));
        EXPECT_FALSE(folder.settings().write("Separate", 20));
        EXPECT_EQ(folder.settings().readInt("Separate", 7), 7);
    }
    {
        // A folder where nobody may create files, not even the superuser.
        const SettingsFile procfs(QStringLiteral("/proc/self"), QStringLiteral("tunedeck"));
        EXPECT_FALSE(procfs.write("Separate", 20));
    }
}

TEST(SettingsFile, ReadOnlyFolderAndUnreadableFileAreLeftAlone) {
    if (getuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders and reads unreadable files";
    const ProgramFolder folder;
    folder.writeSettingsBytes("[tunedeck]\r\nSeparate=10\r\n");
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(folder.settings().write("Separate", 20));
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(folder.settingsPath(), QFileDevice::WriteOwner);
    // Rewriting a file that cannot be read would lose the lines it holds.
    EXPECT_FALSE(folder.settings().write("Separate", 20));
    QFile::setPermissions(folder.settingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(folder.settings().readInt("Separate", 0), 10);
}

TEST(SettingsFile, ValuesWithLineBreaksAreRefused) {
    const ProgramFolder folder;
    EXPECT_FALSE(folder.settings().write("DisplayFormat", "%1\r\n[evil]"));
    EXPECT_FALSE(QFile::exists(folder.settingsPath()));
}

TEST(SettingsFile, ASettledFileIsStillReadAnewWhenItChanges) {
    const ProgramFolder folder;
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=%1\r\n");
    QThread::sleep(3);  // old enough for its bytes to be kept between reads
    const SettingsFile settings = folder.settings();
    EXPECT_EQ(settings.readString("DisplayFormat", ""), "%1");
    EXPECT_EQ(settings.readString("DisplayFormat", ""), "%1");

    ASSERT_TRUE(settings.write("DisplayFormat", "%2"));  // a new file in the old one's place
    EXPECT_EQ(settings.readString("DisplayFormat", ""), "%2");

    QThread::sleep(3);
    EXPECT_EQ(settings.readString("DisplayFormat", ""), "%2");
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=%3 %4\r\n");  // edited in place
    EXPECT_EQ(settings.readString("DisplayFormat", ""), "%3 %4");

    QFile::remove(folder.settingsPath());
    EXPECT_EQ(settings.readString("DisplayFormat", "%1 - %2"), "%1 - %2");
}

}  // namespace
}  // namespace tunedeck
