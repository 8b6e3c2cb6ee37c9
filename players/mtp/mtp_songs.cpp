// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_songs.h"

#include "fat_names.h"
#include "folder_entries.h"
#include "play_order.h"

#include <algorithm>

namespace tunedeck {

std::optional<quint32> musicFolderOf(const std::vector<MtpObject>& top, quint32 defaultMusicFolder) {
    const auto named = [&](auto&& wanted) {
        const auto found = std::find_if(
            top.begin(), top.end(), [&](const MtpObject& object) { return object.folder && wanted(object); });
        return found == top.end() ? std::nullopt : std::optional(found->id);
    };
    if (const auto music = named([&](const MtpObject& object) { return object.id == defaultMusicFolder; }))
        return music;
    return named(
        [](const MtpObject& object) { return object.name.compare(u"Music", Qt::CaseInsensitive) == 0; });
}

std::vector<MtpObject> folderList(const std::vector<MtpObject>& objects) {
    QStringList names;
    for (const MtpObject& object : objects)
        if (object.folder)
            names << object.name;
    sortByName(names);
    // Two folders of one name keep the player's order between them.
    std::vector<MtpObject> folders;
    std::vector<bool> taken(objects.size());
    for (const QString& name : names)
        for (size_t i = 0; i < objects.size(); ++i)
            if (objects[i].folder && !taken[i] && objects[i].name == name) {
                taken[i] = true;
                folders.push_back(objects[i]);
                break;
            }
    return folders;
}

std::vector<MtpObject> songsAmong(const std::vector<MtpObject>& objects) {
    std::vector<MtpObject> songs;
    std::copy_if(objects.begin(), objects.end(), std::back_inserter(songs),
                 [](const MtpObject& object) { return !object.folder && isSongName(object.name); });
    return songs;
}

std::vector<MtpObject> playOrder(const std::vector<MtpObject>& objects,
                                 const std::optional<std::vector<quint32>>& playlist) {
    std::vector<MtpObject> songs = songsAmong(objects);
    if (playlist)
        sortSongsByList(songs, *playlist, [](const MtpObject& song) { return song.id; });
    else
        sortSongsByName(songs, [](const MtpObject& song) -> const QString& { return song.name; });
    return songs;
}

std::optional<MtpPlaylist> folderPlaylist(const std::vector<MtpPlaylist>& playlists, quint32 storage,
                                          const QString& name) {
    for (const MtpPlaylist& playlist : playlists)
        if (playlist.storage == storage && playlist.name == name)
            return playlist;
    return std::nullopt;
}

}  // namespace tunedeck
