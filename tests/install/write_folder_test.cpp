#include "write_folder.h"
#include "music_files.h"
#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(WriteFolder, BesideTheProgramWhenWritableElseInThePerUserFolder) {
    // What lies where the per-user folder goes.
    enum class Before { Nothing, ReadOnlyFolder, File };
    const std::pair<bool, Before> cases[] = {{true, Before::Nothing},
                                             {false, Before::Nothing},
                                             {false, Before::ReadOnlyFolder},
                                             {false, Before::File}};
    for (const auto& [programWritable, before] : cases) {
        SCOPED_TRACE(int(before));
        if (before == Before::ReadOnlyFolder && ::geteuid() == 0)
            continue;  // root writes there anyway; the install test holds it to the permissions
        const QTemporaryDir temp;
        const QString dataHome = temp.filePath(u"share"_s);
        const QString userFolder = dataHome + u"/tunedeck"_s;
        if (before == Before::File)
            testing::writeFile(userFolder, "not a folder");
        if (before == Before::ReadOnlyFolder) {
            ASSERT_TRUE(QDir().mkpath(userFolder) &&
                        QFile::setPermissions(userFolder, QFile::ReadOwner | QFile::ExeOwner));
        }

        const WriteFolder chosen = chooseWriteFolder(temp.path(), programWritable, dataHome);
        const bool problem = before != Before::Nothing;
        EXPECT_EQ(chosen.path, programWritable ? temp.path() : userFolder);
        EXPECT_EQ(chosen.problem.contains(userFolder), problem) << "names the folder it cannot write";
        EXPECT_EQ(QFileInfo(userFolder).isDir(), !programWritable && before != Before::File);
        EXPECT_EQ(SettingsFile(chosen.path, u"tunedeck"_s).write(u"WindowState"_s, 0), !problem)
            << "nothing is written where it cannot be";
        QFile::setPermissions(userFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

}  // namespace
}  // namespace tunedeck
