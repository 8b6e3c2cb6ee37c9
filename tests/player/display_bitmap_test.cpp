#include "emulated_player.h"
#include "player_fixture.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
TEST_F(DisplayBitmapTest, BitmapIsDrawnInTheFontWrittenJustBefore) {
    const DisplayFont small{.faceName = u"IPAGothic"_s, .pointSize = 8};
    const DisplayFont big{.faceName = u"IPAGothic"_s, .pointSize = 24};
    const DisplayFont songFont{.faceName = u"IPAMincho"_s, .pointSize = 24};
    EmulatedPlayer player(storePath());
    player.Open();
    player.FontName(small.faceName);
    player.FontSize(small.pointSize);
    player.AddFolder(QStringLiteral("小さいフォルダ"), u"0"_s);
    player.FontSize(big.pointSize);
    player.AddFolder(QStringLiteral("大きいフォルダ"), u"0"_s);
    player.FontName(songFont.faceName);
    player.AddSong(2, QStringLiteral("大きい曲"), writeSource(u"s.mp3"_s, "abc"), u"0"_s);
    player.Close();

    PlayerStore store(storePath());
    store.open();
    const StoredFolder& smallFolder = store.catalogue(Memory::Internal).folders.at(1);
    const StoredFolder& bigFolder = store.catalogue(Memory::Internal).folders.at(2);
    const QByteArray& song = bigFolder.songs.at(0).display;
    EXPECT_TRUE(smallFolder.display == renderDisplay(smallFolder.name, small));
    EXPECT_TRUE(bigFolder.display == renderDisplay(bigFolder.name, big));
    EXPECT_TRUE(song == renderDisplay(QStringLiteral("大きい曲"), songFont));
    EXPECT_NE(renderDisplay(QStringLiteral("大きい曲"), songFont),
              renderDisplay(QStringLiteral("大きい曲"), big))
        << "the two faces draw alike, so the face is not checked";

    const QImage smallImage = QImage::fromData(smallFolder.display, "PNG");
    const QImage bigImage = QImage::fromData(bigFolder.display, "PNG");
    for (const QImage* image : {&smallImage, &bigImage}) {
        ASSERT_FALSE(image->isNull());
        EXPECT_EQ(image->depth(), 1);
        EXPECT_GT(darkPixels(*image), 0) << "no text drawn";
    }
    EXPECT_GT(bigImage.height(), smallImage.height());
    EXPECT_GT(bigImage.width(), smallImage.width());
}

// Windows' Japanese faces are not installed here: each draws as the IPA face of its kind, not a Latin
// fallback, and so do an empty name and a fresh player's folder, drawn before any face is named.
TEST_F(DisplayBitmapTest, WindowsJapaneseFacesDrawInTheIpaFaceOfTheirKind) {
    const std::pair<QString, QString> faces[] = {{u"MS UI Gothic"_s, u"IPAPGothic"_s},
                                                 {u"MS Gothic"_s, u"IPAGothic"_s},
                                                 {u"ms pgothic"_s, u"IPAPGothic"_s},
                                                 {u"MS Mincho"_s, u"IPAMincho"_s},
                                                 {u"MS PMincho"_s, u"IPAPMincho"_s},
                                                 {u"ＭＳ Ｐ明朝"_s, u"IPAPMincho"_s},
                                                 {u""_s, u"IPAPGothic"_s}};
    for (const auto& [windows, ipa] : faces)
        EXPECT_TRUE(renderDisplay(u"MUSIC 曲"_s, {windows, 24}) == renderDisplay(u"MUSIC 曲"_s, {ipa, 24}))
            << windows.toStdString();
    PlayerStore store(storePath());
    store.open();
    EXPECT_TRUE(store.catalogue(Memory::Internal).folders.at(0).display ==
                renderDisplay(u"MUSIC"_s, {.faceName = u"IPAPGothic"_s}));
}

}  // namespace
}  // namespace tunedeck::testing
