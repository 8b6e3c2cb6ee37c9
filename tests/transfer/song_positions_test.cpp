// SPDX-License-Identifier: GPL-3.0-or-later
#include "song_positions.h"

#include <QList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(SongPositions, DownloadNamesAndDeletedIndices) {
    EXPECT_EQ(downloadFileName(1) + u' ' + downloadFileName(100), u"GetRio01.mp3 GetRio100.mp3"_s);

    // Positions 2, 3 and 5 deleted in that order: each moves up by the number deleted before it.
    EXPECT_EQ(QList<qint32>({deletedSongIndex(2, 0), deletedSongIndex(3, 1), deletedSongIndex(5, 2)}),
              QList<qint32>({1, 1, 2}));
}

}  // namespace
}  // namespace tunedeck
