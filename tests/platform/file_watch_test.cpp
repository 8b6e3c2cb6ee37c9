#include "file_watch.h"

#include "music_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace tunedeck {
namespace {

using testing::writeBytes;

void append(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("more");
}

TEST(FileWatch, SeesEveryChangeToTheFileAndNoneToOthers) {
    const struct {
        const char* what;
        std::function<void(const QString& folder)> change;
        bool seen;
    } cases[] = {
        {"the file written in place", [](const QString& f) { append(f + "/watched.INI"); }, true},
        {"the file replaced by a rename",
         [](const QString& f) {
             ASSERT_EQ(std::rename(QFile::encodeName(f + "/other"), QFile::encodeName(f + "/watched.INI")),
                       0);
         },
         true},
        {"the file removed", [](const QString& f) { QFile::remove(f + "/watched.INI"); }, true},
        {"the file's permissions changed",
         [](const QString& f) { QFile::setPermissions(f + "/watched.INI", QFileDevice::ReadOwner); }, true},
        {"the folder removed", [](const QString& f) { QDir(f).removeRecursively(); }, true},
        {"another file written", [](const QString& f) { append(f + "/other"); }, false},
        {"another file created and removed",
         [](const QString& f) {
             writeBytes(f + "/new", "x");
             QFile::remove(f + "/new");
         },
         false},
        {"the file read",
         [](const QString& f) { ASSERT_TRUE(QFile(f + "/watched.INI").open(QIODevice::ReadOnly)); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QTemporaryDir dir;
        const QString folder = dir.path() + "/folder";
        ASSERT_TRUE(QDir().mkpath(folder));
        writeBytes(folder + "/watched.INI", "x");
        writeBytes(folder + "/other", "y");
        const auto watch = FileWatch::of(QFile::encodeName(folder), "watched.INI");
        ASSERT_NE(watch, nullptr);
        EXPECT_TRUE(watch->unchanged());
        c.change(folder);
        EXPECT_EQ(watch->unchanged(), !c.seen);
        EXPECT_EQ(watch->ended(), QString(c.what) == "the folder removed");
    }
}

TEST(FileWatch, AChangeIsReportedOnce) {
    const QTemporaryDir dir;
    writeBytes(dir.path() + "/watched.INI", "x");
    const auto watch = FileWatch::of(QFile::encodeName(dir.path()), "watched.INI");
    ASSERT_NE(watch, nullptr);
    append(dir.path() + "/watched.INI");
    EXPECT_FALSE(watch->unchanged());
    EXPECT_TRUE(watch->unchanged());
}

TEST(FileWatch, AMissingFolderCannotBeWatched) {
    const QTemporaryDir dir;
    EXPECT_EQ(FileWatch::of(QFile::encodeName(dir.path() + "/missing"), "watched.INI"), nullptr);
}

}  // namespace
}  // namespace tunedeck
