// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <stdexcept>
#include <vector>

namespace tunedeck {

// A refusal or failure of the device; its description is what the window shows after " Err:". `Open` of a
// player that is not there, or that another program holds, says so by its kind: the window does not take
// either for a failure of the player.
class DeviceError : public std::runtime_error {
  public:
    enum class Kind { Refused, NotConnected, InUse };

    explicit DeviceError(const QString& description, Kind kind = Kind::Refused)
        : std::runtime_error(description.toStdString()), description_(description), kind_(kind) {}
    const QString& description() const { return description_; }
    Kind kind() const { return kind_; }

  private:
    QString description_;
    Kind kind_;
};

struct DeviceFolder {
    QString name;
};

struct DeviceSong {
    QString name;
    qint64 size = 0;  // bytes
    // What the player itself knows the song by (an object id, a directory entry, a catalogue entry), so that
    // two songs of one name and size are never taken for each other; empty where it knows none.
    QString identity;
};

// Called as a song's data moves, with the bytes moved so far and the song's size. Returning false asks the
// transfer to stop: the member then raises DeviceError and leaves nothing of that song behind.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

// The player behind ProgID "Rio500Remix.Rio500". Every operation is one bracket: Open, the calls, Close.
// The memory is "0" (internal) or "1" (SmartMedia card), passed as text to some members and as a number to
// others, as the component has always taken it. Every member raises DeviceError on failure.
class DeviceComponent {
  public:
    virtual ~DeviceComponent() = default;

    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual int ExtFlash() = 0;  // 1 when a card is present
    virtual std::vector<DeviceFolder> Folders(qint32 memory) = 0;
    virtual std::vector<DeviceSong> Songs(qint32 memory, qint16 folderIndex) = 0;
    virtual qint64 AvailableMemory(const QString& memory) = 0;  // free bytes
    virtual void FontName(const QString& faceName) = 0;
    virtual void FontSize(qint32 pointSize) = 0;
    // An empty `progress` asks for no reports.
    virtual void AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                         const QString& memory, const TransferProgress& progress) = 0;
    virtual void GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                         const QString& memory, const TransferProgress& progress) = 0;
    virtual void DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) = 0;
    virtual void SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB,
                          const QString& memory) = 0;
    virtual void AddFolder(const QString& folderName, const QString& memory) = 0;
    virtual void DeleteFolder(qint16 folderIndex, const QString& memory) = 0;
    virtual void Format(const QString& memory) = 0;
};

// What a player whose Open costs much (a new USB session, a search through UDisks2) may offer: one bracket
// for a whole run of songs. Each song is on the device once its call returns, as in a bracket of its own, and
// the player is let go as the run ends, so that another program may have it between runs.
class KeepsConnection {
  public:
    virtual ~KeepsConnection() = default;
};

// What a player may offer that does on its own what the user should hear of (lending the device from the
// desktop's file system): each such notice, said on the thread the player's calls run on.
class GivesNotices {
  public:
    using Notice = std::function<void(const QString& text)>;
    virtual ~GivesNotices() = default;
    virtual void setNotice(Notice notice) = 0;
};

// What a player of files may offer beside the contract: how many files its last DeleteFolder or Format left
// in place because they were neither its songs nor its own (a user's documents on the same volume).
class KeptFiles {
  public:
    virtual ~KeptFiles() = default;
    virtual int FilesKept() const = 0;
};

// What a player that keeps each song as a file may offer: the name its song list shows for a song sent under
// `displayTitle` from `filePath` into `memory` (the file system's form of the title), before what it adds to
// keep it apart from another of that name (" (2)"). A player without it shows the title as it was sent.
class ShowsSongNames {
  public:
    virtual ~ShowsSongNames() = default;
    virtual QString ShownSongName(const QString& displayTitle, const QString& filePath,
                                  const QString& memory) = 0;
    // The name AddFolder(`asked`) gives a folder in `memory`; it takes a folder of that name, case not
    // counting, for the same one and makes no other.
    virtual QString ShownFolderName(const QString& asked, const QString& memory) = 0;
};

// What a player whose every swap rewrites much may offer: a folder's songs put into a new order at once.
// `order` names every song index of the folder once, in the order the songs are to play.
class ArrangesSongs {
  public:
    virtual ~ArrangesSongs() = default;
    virtual void ArrangeSongs(qint16 folderIndex, const std::vector<qint32>& order,
                              const QString& memory) = 0;
};

}  // namespace tunedeck
