#include "song_positions.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(DownloadFileName, ThePositionInAtLeastTwoDigits) {
    const struct {
        int position;
        const char* name;
    } cases[] = {
        {1, "GetRio01.mp3"},  {2, "GetRio02.mp3"},    {9, "GetRio09.mp3"},
        {10, "GetRio10.mp3"}, {100, "GetRio100.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(downloadFileName(c.position).toStdString(), c.name) << c.position;
}

TEST(FolderPosition, TheFirstExactMatchOrOnePastTheLast) {
    const QStringList folders = {u"Rock"_s, u"Jazz"_s, u"rock"_s, u"Jazz"_s, u"Rock "_s};
    const struct {
        const char* name;
        qint32 position;
    } cases[] = {
        {"Rock", 0}, {"Jazz", 1},   // two folders named alike: the first of them
        {"rock", 2}, {"Rock ", 4},  // case and spaces count
        {"Pop", 5},  {"", 5},       // no such folder: one past the last, for the player to refuse
    };
    for (const auto& c : cases)
        EXPECT_EQ(folderPosition(folders, QLatin1String(c.name)), c.position) << c.name;
    EXPECT_EQ(folderPosition({}, u"Rock"_s), 0);
}

TEST(DeletedSongIndex, LaterSongsMoveUpByTheNumberAlreadyDeleted) {
    // Positions 2, 3 and 5 of five selected, deleted in that order.
    const int positions[] = {2, 3, 5};
    QList<qint32> indices;
    for (int deleted = 0; deleted < 3; ++deleted)
        indices << deletedSongIndex(positions[deleted], deleted);
    EXPECT_EQ(indices, QList<qint32>({1, 1, 2}));

    // The whole folder from the top: always the first song.
    for (int deleted = 0; deleted < 4; ++deleted)
        EXPECT_EQ(deletedSongIndex(deleted + 1, deleted), 0);
}

}  // namespace
}  // namespace tunedeck
