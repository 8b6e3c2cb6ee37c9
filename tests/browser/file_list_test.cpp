#include "browser_fixture.h"

#include "cp932.h"
#include "music_files.h"

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

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
    const QStringList music = {u"b.mp3"_s, u"A.Mp3"_s, u"c.rmp"_s, u"d.RMP"_s, u"long name 曲.mp3"_s,
                               u"e.MP3"_s};
    const QStringList others = {u"x.mp3.bak"_s, u"y.mp"_s, u"z.txt"_s,  u"mp3"_s,
                                u"rmp.wav"_s,   u".MP3"_s, u"._b.mp3"_s};
    for (const QString& name : music + others)
        writeFile(name, "bytes");
    makeFolder(u"folder.mp3"_s);  // folders appear only in the tree
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.path() + u"/pipe.mp3"_s).constData(), 0600), 0);

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
    writeFile(u"rmp3.rmp"_s, rmp3File({listChunk({riffChunk("IART", cp932::encode(u"合唱団") + '\0'),
                                                  riffChunk("INAM", cp932::encode(u"夜明けの歌"))})}));
    writeFile(
        u"id3v1.mp3"_s,
        mp3File({.title = cp932::encode(u"テーマ ①"), .artist = cp932::encode(u"テスト楽団")}, 1024 - 128));
    writeFile(u"untagged.mp3"_s, QByteArray(1023, 'x'));
    writeFile(u"one megabyte.mp3"_s, QByteArray(1048576, 'x'));
    writeFile(u"empty.mp3"_s, "");

    start();
    QStringList rows = listRows(*window->lvwFile);  // "name|artist|title|size"
    rows.sort();
    EXPECT_EQ(rows, QStringList({u"empty.mp3|||0KB"_s, u"id3v1.mp3|テスト楽団|テーマ ①|1KB"_s,
                                 u"one megabyte.mp3|||1,024KB"_s, u"rmp3.rmp|合唱団|夜明けの歌|0KB"_s,
                                 u"untagged.mp3|||0KB"_s}));
}

TEST_F(FileListTest, FillShowsItsProgressAndReplacesTheItems) {
    writeFile(u"old.mp3"_s, "x");
    const QString other = makeFolder(u"other"_s);
    writeBytes(other + u"/new.mp3"_s, "x");
    start();
    ASSERT_EQ(fileNames(), QStringList({u"old.mp3"_s}));
    takeStatusTexts();

    window->fillFileList(other);
    EXPECT_EQ(fileNames(), QStringList({u"new.mp3"_s}));
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_s, u"Ready"_s}));
}

TEST_F(FileListTest, FolderThatCannotBeListedGivesAnEmptyList) {
    writeFile(u"song.mp3"_s, "x");
    start();
    const struct {
        const char* name;
        QString folder;
    } cases[] = {
        {"missing folder", working.path() + u"/missing"_s},
        {"a file, not a folder", working.path() + u"/song.mp3"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window->fillFileList(working.path());
        ASSERT_EQ(window->lvwFile->itemCount(), 1);
        takeStatusTexts();
        window->fillFileList(c.folder);
        EXPECT_EQ(window->lvwFile->itemCount(), 0);
        EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_s, u"Ready"_s}));
        EXPECT_TRUE(window->isEnabled());
    }
}

TEST_F(FileListTest, FillSwitchesSortingOffAndKeepsTheSortKey) {
    for (const QString& name : {u"b.mp3"_s, u"a.mp3"_s, u"c.mp3"_s})
        writeFile(name, "x");
    start();
    window->lvwFile_ColumnClick(4);  // not the first column, whose key is also the list's default
    ASSERT_TRUE(window->lvwFile->isSorted());

    window->menuFolRef_Click();
    EXPECT_FALSE(window->lvwFile->isSorted());
    EXPECT_EQ(window->lvwFile->sortKey(), 3);
    QStringList expected;
    for (const QString& name : directoryOrder(working.path()))
        if (name.endsWith(u".mp3"_s))
            expected << name;
    EXPECT_EQ(fileNames(), expected);
}

}  // namespace
}  // namespace tunedeck::testing
