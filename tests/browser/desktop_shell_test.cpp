#include "desktop_shell.h"

#include "music_files.h"
#include "qt_printers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

// A shell script in `folder` that the test uses as the opener.
QString writeOpener(const QString& folder, const QByteArray& script) {
    const QString opener = folder + u"/opener"_s;
    writeBytes(opener, "#!/bin/sh\n" + script + '\n');
    EXPECT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    return opener;
}

TEST(DesktopShell, AnswersWithTheShellsCodes) {
    const QTemporaryDir dir;
    writeBytes(dir.path() + u"/song.mp3"_s, "x");
    const struct {
        const char* name;
        QString opener, folder, file;
        int code;
    } cases[] = {
        {"folder gone", u"true"_s, dir.path() + u"/gone"_s, u"song.mp3"_s, 3},
        {"file gone", u"true"_s, dir.path(), u"gone.mp3"_s, 2},
        {"no opener", dir.path() + u"/no such opener"_s, dir.path(), u"song.mp3"_s, 31},
        {"no application for the file", u"false"_s, dir.path(), u"song.mp3"_s, 31},
        {"handed over", u"true"_s, dir.path(), u"song.mp3"_s, 42},
        {"application still running", writeOpener(dir.path(), "sleep 3"), dir.path(), u"song.mp3"_s, 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopShell(c.opener).open(c.folder, c.file), c.code) << c.name;
}

// The opener gets the file's full path and runs in the file's folder.
TEST(DesktopShell, StartsTheOpenerInTheFilesFolder) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + u"/曲 folder"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    writeBytes(folder + u"/song 1.mp3"_s, "x");
    const QString report = dir.path() + u"/report"_s;
    const QString opener =
        writeOpener(dir.path(), (u"{ pwd; echo \"$1\"; } > '"_s + report + u".part' && mv '"_s + report +
                                 u".part' '"_s + report + u"'"_s)
                                    .toUtf8());

    EXPECT_GT(DesktopShell(opener).open(folder, u"song 1.mp3"_s), 32);
    const QDeadlineTimer deadline(30000);
    while (!QFile::exists(report) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the opener did not run";
    EXPECT_EQ(QString::fromUtf8(file.readAll()), folder + QLatin1Char('\n') + folder + u"/song 1.mp3\n"_s);
}

}  // namespace
}  // namespace tunedeck
