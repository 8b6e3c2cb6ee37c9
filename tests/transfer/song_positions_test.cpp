#include "song_positions.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(SongPositions, DownloadNamesFoldersAndDeletedIndices) {
    for (const auto& [position, name] :
         {std::pair{1, "GetRio01.mp3"}, {10, "GetRio10.mp3"}, {100, "GetRio100.mp3"}})
        EXPECT_EQ(downloadFileName(position).toStdString(), name);

    // The first exact match, or one past the last for the player to refuse.
    const QStringList folders = {u"Rock"_s, u"Jazz"_s, u"rock"_s, u"Jazz"_s, u"Rock "_s};
    for (const auto& [name, position] : {std::pair{"Jazz", 1}, {"rock", 2}, {"Rock ", 4}, {"Pop", 5}})
        EXPECT_EQ(folderPosition(folders, QLatin1String(name)), position) << name;

    // Positions 2, 3 and 5 deleted in that order: each moves up by the number deleted before it.
    const int positions[] = {2, 3, 5};
    QList<qint32> indices;
    for (int deleted = 0; deleted < 3; ++deleted)
        indices << deletedSongIndex(positions[deleted], deleted);
    EXPECT_EQ(indices, QList<qint32>({1, 1, 2}));
}

}  // namespace
}  // namespace tunedeck
