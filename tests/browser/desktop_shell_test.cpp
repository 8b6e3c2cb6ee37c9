#include "desktop_shell.h"

#include "music_files.h"
#include "qt_printers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

using namespace testing;

TEST(DesktopShell, RefusesWhatItCannotOpen) {
    const QTemporaryDir dir;
    writeBytes(dir.path() + "/song.mp3", "x");
    const struct {
        const char* name;
        QString opener, folder, file;
        int code;
    } cases[] = {
        {"folder gone", "true", dir.path() + "/gone", "song.mp3", 3},
        {"file gone", "true", dir.path(), "gone.mp3", 2},
        {"no opener", dir.path() + "/no such opener", dir.path(), "song.mp3", 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopShell(c.opener).open(c.folder, c.file), c.code) << c.name;
}

// The opener gets the file's full path and runs in the file's folder.
TEST(DesktopShell, StartsTheOpenerInTheFilesFolder) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + "/曲 folder";
    ASSERT_TRUE(QDir().mkpath(folder));
    writeBytes(folder + "/song 1.mp3", "x");
    const QString opener = dir.path() + "/opener";
    const QString report = dir.path() + "/report";
    writeBytes(opener, ("#!/bin/sh\n{ pwd; echo \"$1\"; } > '" + report + ".part' && mv '" + report +
                        ".part' '" + report + "'\n")
                           .toUtf8());
    ASSERT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    EXPECT_GT(DesktopShell(opener).open(folder, "song 1.mp3"), 32);
    const QDeadlineTimer deadline(30000);
    while (!QFile::exists(report) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the opener did not run";
    EXPECT_EQ(QString::fromUtf8(file.readAll()), folder + '\n' + folder + "/song 1.mp3\n");
}

}  // namespace
}  // namespace tunedeck
