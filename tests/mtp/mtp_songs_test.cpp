// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_songs.h"
#include "fat_names.h"
#include "program_folder.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

using namespace Qt::StringLiterals;

// The item `name` numbered `id`: a folder where the name ends in "/", else a file.
MtpObject item(quint32 id, const QString& name) {
    const bool folder = name.endsWith(u'/');
    return {.id = id, .name = folder ? name.chopped(1) : name, .folder = folder};
}

using testing::namesOf;

// The music folder is the player's own, else one named Music; folders go by name, songs in the order they
// play; numbering keeps that order and every title.
TEST(MtpSongs, MusicFolderFolderOrderPlayOrderAndNumbering) {
    const std::vector<MtpObject> phone{item(1, u"DCIM/"_s), item(2, u"music/"_s), item(3, u"Songs/"_s)};
    const std::tuple<std::vector<MtpObject>, quint32, std::optional<quint32>> musicFolders[] = {
        {phone, 3, 3},                                                  // the player names its own
        {phone, 0, 2},                                                  // none named: "Music" in any case
        {phone, 99, 2},                                                 // its own is on the other storage
        {{item(1, u"DCIM/"_s), item(4, u"Music"_s)}, 0, std::nullopt},  // none, but a file: the root
        {{}, 0, std::nullopt}};
    for (const auto& [top, own, music] : musicFolders)
        EXPECT_EQ(musicFolderOf(top, own), music) << own << ' ' << namesOf(top).join(u',').toStdString();

    const std::vector<MtpObject> objects{
        item(9, u"10 ten.mp3"_s), item(5, u"b/"_s),        item(3, u"02 two.MP3"_s), item(8, u"cover.jpg"_s),
        item(6, u"A/"_s),         item(4, u"1 one.rmp"_s), item(7, u"b/"_s),         item(2, u"zz.mp3"_s)};
    // The two folders named "b" in the player's order.
    const std::vector<MtpObject> folders = folderList(objects);
    EXPECT_EQ(std::tuple(namesOf(folders), folders.at(1).id, folders.at(2).id),
              std::tuple(QStringList{u"A"_s, u"b"_s, u"b"_s}, 5u, 7u));

    const std::pair<std::optional<std::vector<quint32>>, QStringList> orders[] = {
        // By name: numbers as numbers, then the rest.
        {std::nullopt, {u"1 one.rmp"_s, u"02 two.MP3"_s, u"10 ten.mp3"_s, u"zz.mp3"_s}},
        // The playlist's order, what it does not list after it in the player's, and what it lists that is
        // gone left out.
        {std::vector<quint32>{2, 77, 4}, {u"zz.mp3"_s, u"1 one.rmp"_s, u"10 ten.mp3"_s, u"02 two.MP3"_s}},
        // A song listed twice plays where it is first listed.
        {std::vector<quint32>{4, 3, 9, 4, 2},
         {u"1 one.rmp"_s, u"02 two.MP3"_s, u"10 ten.mp3"_s, u"zz.mp3"_s}},
        {std::vector<quint32>{3, 2, 3}, {u"02 two.MP3"_s, u"zz.mp3"_s, u"10 ten.mp3"_s, u"1 one.rmp"_s}},
        {std::vector<quint32>{}, {u"10 ten.mp3"_s, u"02 two.MP3"_s, u"1 one.rmp"_s, u"zz.mp3"_s}}};
    for (const auto& [playlist, order] : orders)
        EXPECT_EQ(namesOf(playOrder(objects, playlist)), order) << (playlist ? playlist->size() : -1);
    EXPECT_EQ(namesOf(songsAmong(objects)),
              (QStringList{u"10 ten.mp3"_s, u"02 two.MP3"_s, u"1 one.rmp"_s, u"zz.mp3"_s}));

    // Each playlist by id, storage and name.
    const std::vector<MtpPlaylist> playlists{
        {1, 0x10001, u"b"_s, {}}, {2, 0x20001, u"A"_s, {}}, {3, 0x10001, u"A"_s, {}}};
    EXPECT_EQ(folderPlaylist(playlists, 0x10001, u"A"_s)->id, 3u);
    EXPECT_FALSE(folderPlaylist(playlists, 0x20001, u"b"_s) || folderPlaylist(playlists, 0x10001, u"a"_s));

    const std::tuple<QStringList, QStringList, QStringList> numberings[] = {
        // songs in play order; every name in the folder; the names after numbering
        {{u"b.mp3"_s, u"a.mp3"_s}, {u"a.mp3"_s, u"b.mp3"_s}, {u"01 b.mp3"_s, u"02 a.mp3"_s}},
        {{u"01 x.mp3"_s, u"5 y.mp3"_s}, {u"01 x.mp3"_s, u"5 y.mp3"_s}, {u"01 x.mp3"_s, u"02 y.mp3"_s}},
        // "02 A.mp3" is taken by a folder of that name.
        {{u"z.mp3"_s, u"a.mp3"_s},
         {u"z.mp3"_s, u"a.mp3"_s, u"02 A.MP3.txt"_s, u"02 A.mp3"_s},
         {u"01 z.mp3"_s, u"02 a (2).mp3"_s}}};
    for (const auto& [songs, taken, numbered] : numberings) {
        QStringList after = songs;
        for (const Rename& rename : numberingRenames(songs, taken)) {
            ASSERT_TRUE(after.contains(rename.from)) << rename.from.toStdString();
            after.replace(after.indexOf(rename.from), rename.to);
        }
        EXPECT_EQ(std::tuple(after, numberedApart(after), nextNumber(after)),
                  std::tuple(numbered, true, numbered.size() + 1));
    }
    EXPECT_FALSE(numberedApart({u"01 a.mp3"_s, u"1 b.mp3"_s}) || numberedApart({u"01 a.mp3"_s, u"b.mp3"_s}));
}

}  // namespace
}  // namespace tunedeck
