#include "emulated_player.h"
#include "player_fixture.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tunedeck::testing {
namespace {

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

class DisplayBitmapTest : public PlayerTest {};

// The font set before AddFolder or AddSong is the one its bitmap is drawn in.
TEST_F(DisplayBitmapTest, BiggerFontSizeGivesTallerOneBitBitmap) {
    EmulatedPlayer player(storePath());
    player.Open();
    player.FontName("IPAGothic");
    player.FontSize(8);
    player.AddFolder(QStringLiteral("小さいフォルダ"), "0");
    player.FontSize(24);
    player.AddFolder(QStringLiteral("大きいフォルダ"), "0");
    player.AddSong(2, QStringLiteral("大きい曲"), writeSource("s.mp3", "abc"), "0");
    player.Close();

    PlayerStore store(storePath());
    store.open();
    const StoredFolder& smallFolder = store.catalogue(Memory::Internal).folders.at(1);
    const StoredFolder& bigFolder = store.catalogue(Memory::Internal).folders.at(2);
    const QImage small = QImage::fromData(smallFolder.display, "PNG");
    const QImage big = QImage::fromData(bigFolder.display, "PNG");
    const QImage song = QImage::fromData(bigFolder.songs.at(0).display, "PNG");
    for (const QImage* image : {&small, &big, &song}) {
        ASSERT_FALSE(image->isNull());
        EXPECT_EQ(image->depth(), 1);
        EXPECT_GT(darkPixels(*image), 0) << "no text drawn";
    }
    EXPECT_GT(big.height(), small.height());
    EXPECT_GT(big.width(), small.width());
    EXPECT_EQ(song.height(), big.height());
}

}  // namespace
}  // namespace tunedeck::testing
