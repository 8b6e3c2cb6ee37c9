// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "fat_names.h"
#include "index_range.h"
#include "player_texts.h"

#include <QHash>

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <vector>

namespace tunedeck {

// The two orders a player may play a folder's songs in besides that of their entries. Both are stable, so
// songs the rule cannot tell apart keep the order they are given in.

// By the name `nameOf` gives each, as a player that sorts plays them (naturalLess).
template <typename Song, typename NameOf>
void sortSongsByName(std::vector<Song>& songs, NameOf nameOf) {
    std::stable_sort(songs.begin(), songs.end(),
                     [&](const Song& a, const Song& b) { return naturalLess(nameOf(a), nameOf(b)); });
}

// As `listed` (a playlist) lists the keys `keyOf` gives them; what it does not list follows, so that nothing
// on the player is hidden.
template <typename Song, typename List, typename KeyOf>
void sortSongsByList(std::vector<Song>& songs, const List& listed, KeyOf keyOf) {
    // A key listed twice ranks where it is first listed. Looked up, not searched: a thousand songs sort
    // before every song sent to the folder.
    QHash<std::decay_t<decltype(*std::begin(listed))>, qsizetype> ranks;
    qsizetype unlisted = 0;
    for (const auto& key : listed) {
        if (!ranks.contains(key))
            ranks.insert(key, unlisted);
        ++unlisted;
    }
    const auto rank = [&](const Song& song) { return ranks.value(keyOf(song), unlisted); };
    std::stable_sort(songs.begin(), songs.end(),
                     [&](const Song& a, const Song& b) { return rank(a) < rank(b); });
}

// `songs` in the order `order` gives by their indexes, which names each of them once; else DeviceError, as
// for a song number out of range.
template <typename Song>
std::vector<Song> arrangedSongs(const std::vector<Song>& songs, const std::vector<qint32>& order) {
    if (order.size() != songs.size())
        throw DeviceError(player_texts::kSongOutOfRange);
    std::vector<bool> placed(songs.size());
    std::vector<Song> arranged;
    arranged.reserve(songs.size());
    for (const qint32 index : order) {
        requireSongIndex(index, qint64(songs.size()));
        if (placed[index])
            throw DeviceError(player_texts::kSongOutOfRange);
        placed[index] = true;
        arranged.push_back(songs[index]);
    }
    return arranged;
}

}  // namespace tunedeck
