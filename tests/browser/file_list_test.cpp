#include "browser_fixture.h"

#include "cp932.h"
#include "music_files.h"

#include <dirent.h>
#include <sys/stat.h>

namespace tunedeck::testing {
namespace {

using FileListTest = BrowserTest;

// The names of a folder as the file system hands them out, read without Qt.
QStringList directoryOrder(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        names << QFile::decodeName(entry->d_name);
    ::closedir(dir);
    return names;
}

TEST_F(FileListTest, ListsMusicFilesInFileSystemOrder) {
    const QStringList music = {"b.mp3", "A.Mp3", "c.rmp", "d.RMP", "long name 曲.mp3", "e.MP3"};
    const QStringList others = {"x.mp3.bak", "y.mp", "z.txt", "mp3", "rmp.wav", ".MP3", "._b.mp3"};
    for (const QString& name : music + others)
        writeFile(name, "bytes");
    makeFolder("folder.mp3");  // folders appear only in the tree
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.path() + "/pipe.mp3").constData(), 0600), 0);

    QStringList expected;
    for (const QString& name : directoryOrder(working.path()))
        if (music.contains(name))
            expected << name;
    ASSERT_EQ(expected.size(), music.size());

    start();
    EXPECT_EQ(fileNames(), expected);
    EXPECT_FALSE(window->lvwFile->isSorted());
}

TEST_F(FileListTest, ArtistTitleAndSizeColumns) {
    writeFile("rmp3.rmp", rmp3File({listChunk({riffChunk("IART", cp932::encode(u"合唱団") + '\0'),
                                               riffChunk("INAM", cp932::encode(u"夜明けの歌"))})}));
    writeFile(
        "id3v1.mp3",
        mp3File({.title = cp932::encode(u"テーマ ①"), .artist = cp932::encode(u"テスト楽団")}, 1024 - 128));
    writeFile("untagged.mp3", QByteArray(1023, 'x'));
    writeFile("one megabyte.mp3", QByteArray(1048576, 'x'));
    writeFile("empty.mp3", "");

    start();
    QStringList rows = listRows(*window->lvwFile);  // "name|artist|title|size"
    rows.sort();
    EXPECT_EQ(rows, QStringList({u"empty.mp3|||0KB"_qs, u"id3v1.mp3|テスト楽団|テーマ ①|1KB"_qs,
                                 u"one megabyte.mp3|||1,024KB"_qs, u"rmp3.rmp|合唱団|夜明けの歌|0KB"_qs,
                                 u"untagged.mp3|||0KB"_qs}));
}

TEST_F(FileListTest, FillShowsItsProgressAndReplacesTheItems) {
    writeFile("old.mp3", "x");
    const QString other = makeFolder("other");
    writeBytes(other + "/new.mp3", "x");
    start();
    ASSERT_EQ(fileNames(), QStringList({"old.mp3"}));
    takeStatusTexts();

    window->fillFileList(other);
    EXPECT_EQ(fileNames(), QStringList({"new.mp3"}));
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_qs, "Ready"}));
}

TEST_F(FileListTest, FolderThatCannotBeListedGivesAnEmptyList) {
    writeFile("song.mp3", "x");
    start();
    const struct {
        const char* name;
        QString folder;
    } cases[] = {
        {"missing folder", working.path() + "/missing"},
        {"a file, not a folder", working.path() + "/song.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window->fillFileList(working.path());
        ASSERT_EQ(window->lvwFile->itemCount(), 1);
        takeStatusTexts();
        window->fillFileList(c.folder);
        EXPECT_EQ(window->lvwFile->itemCount(), 0);
        EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_qs, "Ready"}));
        EXPECT_TRUE(window->isEnabled());
    }
}

TEST_F(FileListTest, FillSwitchesSortingOffAndKeepsTheSortKey) {
    for (const char* name : {"b.mp3", "a.mp3", "c.mp3"})
        writeFile(name, "x");
    start();
    window->lvwFile_ColumnClick(4);  // not the first column, whose key is also the list's default
    ASSERT_TRUE(window->lvwFile->isSorted());

    window->menuFolRef_Click();
    EXPECT_FALSE(window->lvwFile->isSorted());
    EXPECT_EQ(window->lvwFile->sortKey(), 3);
    QStringList expected;
    for (const QString& name : directoryOrder(working.path()))
        if (name.endsWith(".mp3"))
            expected << name;
    EXPECT_EQ(fileNames(), expected);
}

}  // namespace
}  // namespace tunedeck::testing
