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

// A shell script in `folder` that the test uses as the opener.
QString writeOpener(const QString& folder, const QByteArray& script) {
    const QString opener = folder + "/opener";
    writeBytes(opener, "#!/bin/sh\n" + script + '\n');
    EXPECT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    return opener;
}

TEST(DesktopShell, AnswersWithTheShellsCodes) {
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
        {"no application for the file", "false", dir.path(), "song.mp3", 31},
        {"handed over", "true", dir.path(), "song.mp3", 42},
        {"application still running", writeOpener(dir.path(), "sleep 3"), dir.path(), "song.mp3", 42},
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
    const QString report = dir.path() + "/report";
    const QString opener = writeOpener(dir.path(), ("{ pwd; echo \"$1\"; } > '" + report + ".part' && mv '" +
                                                    report + ".part' '" + report + "'")
                                                       .toUtf8());

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
