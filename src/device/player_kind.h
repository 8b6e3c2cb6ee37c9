// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_words.h"
#include "song_order.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tunedeck {

struct PlayerKind;

// A player the program can manage, as the player menu and `tunedeck-player players` show it.
struct PlayerEntry {
    QString id;  // kept in the settings; names the player on the command line
    std::shared_ptr<const PlayerKind> kind;
    // What `tunedeck-player players` calls it, finer than its kind: "emulated", "player" (known to
    // media-player-info), "audio-player", "usb-disk", "folder", "mtp"
    QString variety;
    QString name;
    QStringList memories;            // where each memory is mounted, the internal one first
    std::optional<SongOrder> order;  // when the player itself says how it orders its songs
    bool removable = false;          // can be unmounted and powered off
    // Its memories keep a folder's directory entries in the order written (FAT), so they can play in it.
    bool keepsEntryOrder = false;
};

// One kind of player: its component, its players' ids, how they are found and what they can do. A kind's
// folder of players/ declares it; the program's kinds are registered in one list.
struct PlayerKind {
    QString progId;    // the component's ProgID
    QString plugin;    // the component's plugin in the components folder
    QString idPrefix;  // the ids of its players start with it
    // It takes the ids no kind's prefix claims too: folders addressed directly, ids of no known form.
    bool takesOtherIds = false;
    // Its component works on a store of its own, in the folder the program writes (the emulated player),
    // rather than on the player an id names.
    bool ownStore = false;
    // The user chooses the order its songs play in, where a player does not say it.
    bool songOrders = false;
    // What texts call its players ("Rio", "Rio500"); without them, each player's name (playerWords).
    std::optional<PlayerWords> words;
    // The status while its component cannot be created; the creation's own description without it.
    std::optional<QString> missingComponent;
    // Its players plugged in now. Empty: none are found, as the emulated player is always there.
    std::function<std::vector<PlayerEntry>()> find;
    // Unmounts a player found and powers it off; throws DeviceError. Empty where players cannot be removed.
    std::function<void(const QString& id)> safelyRemove;
    // The entry of one of its players that is not found now, known by `name`.
    std::function<PlayerEntry(const QString& id, const QString& name)> absent;
    // Whether such a player can be reached though it is not found (a folder that is there).
    std::function<bool(const PlayerEntry& entry)> reachable;
};

// The kinds of player the program manages. The first is the one a new settings file chooses (its id empty).
class PlayerKinds {
  public:
    PlayerKinds() = default;
    PlayerKinds(std::initializer_list<PlayerKind> kinds);

    void add(PlayerKind kind);

    // The kind of a ProgID, or nullptr.
    std::shared_ptr<const PlayerKind> byProgId(const QString& progId) const;
    // The kind an id names: the one whose prefix it has, else the one that takes other ids; nullptr when
    // none does.
    std::shared_ptr<const PlayerKind> byId(const QString& id) const;
    // Every kind's players found now, each with its kind.
    std::vector<PlayerEntry> found() const;
    // The entry of `id` when it is not found now, made by its kind; without an id, the first kind's.
    PlayerEntry absent(const QString& id, const QString& name) const;

    const std::vector<std::shared_ptr<const PlayerKind>>& all() const { return kinds_; }

  private:
    std::vector<std::shared_ptr<const PlayerKind>> kinds_;
};

}  // namespace tunedeck
