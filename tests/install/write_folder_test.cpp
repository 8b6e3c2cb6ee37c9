#include "write_folder.h"
#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(WriteFolder, BesideTheProgramWhenWritableElseInThePerUserFolder) {
    // `before`: what lies where the per-user folder goes: nothing, a folder with a settings file
    // ("settings"), the same read-only, or a file in its place.
    struct Case {
        bool programWritable;
        const char* before;
        bool perUser;
        bool problem;
    };
    const Case cases[] = {{true, "", false, false},
                          {false, "", true, false},
                          {false, "settings", true, false},
                          {false, "read-only", true, true},
                          {false, "file", true, true}};
    const QByteArray settings = "[tunedeck]\r\nSeparate=1234\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        const QByteArray before = c.before;
        if (before == "read-only" && ::geteuid() == 0)
            continue;  // root writes there anyway; the install test holds it to the permissions
        const QTemporaryDir temp;
        const QString program = temp.filePath(u"program"_s);
        const QString dataHome = temp.filePath(u"home/.local/share"_s);
        const QString userFolder = dataHome + u"/tunedeck"_s;
        const QString existing = before == "file" ? userFolder : userFolder + u"/tunedeck.INI"_s;
        QFile file(existing);
        ASSERT_TRUE(QDir().mkpath(program));
        if (!before.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(existing).path()) && file.open(QIODevice::WriteOnly) &&
                        file.write(settings) == settings.size());
            file.close();
        }
        if (before == "read-only")
            QFile::setPermissions(userFolder, QFile::ReadOwner | QFile::ExeOwner);

        const WriteFolder chosen = chooseWriteFolder(program, c.programWritable, dataHome);
        EXPECT_EQ(chosen.path, c.perUser ? userFolder : program);
        EXPECT_EQ(chosen.problem.contains(userFolder), c.problem) << "names the folder it cannot write";
        EXPECT_EQ(QFileInfo(userFolder).isDir(), c.perUser && before != "file");
        const SettingsFile written(chosen.path, u"tunedeck"_s);
        EXPECT_EQ(written.readInt(u"Separate"_s, 2000),
                  before == "settings" || before == "read-only" ? 1234 : 2000);
        EXPECT_EQ(written.write(u"WindowState"_s, 0), !c.problem) << "nothing is written where it cannot be";
        if (c.problem) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), settings);
        }
        QFile::setPermissions(userFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

}  // namespace
}  // namespace tunedeck
