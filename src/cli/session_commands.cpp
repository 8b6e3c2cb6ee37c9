// SPDX-License-Identifier: GPL-3.0-or-later
#include "session_commands.h"

#include "device_factory.h"
#include "display_settings.h"
#include "display_title.h"
#include "emulated_player.h"
#include "local_path.h"
#include "memory_listing.h"
#include "music_file_listing.h"
#include "player_session.h"
#include "player_settings.h"
#include "player_texts.h"
#include "sync_texts.h"
#include "terminal_text.h"

#include <algorithm>
#include <functional>
#include <map>

namespace tunedeck {
namespace {

constexpr int kRefused = 1;
constexpr int kBadOperands = 2;

const QString kSettingsSection = QStringLiteral("tunedeck");

// A refusal of the command, said as the player says it.
struct Refusal {
    QString description;
};
// A sync that leaves the folder, or a dry run that finds it, out of step: its texts are said already.
struct NotInStep {};

QString describe(const Outcome& outcome) {
    switch (outcome.ending) {
        case Outcome::Ending::Changed:
            return QStringLiteral("the player no longer holds what was read; nothing was done to that song");
        case Outcome::Ending::Cancelled:
            return QStringLiteral("cancelled");
        default:
            return outcome.description;
    }
}

void require(const Outcome& outcome) {
    if (!outcome.ok())
        throw Refusal{describe(outcome)};
}

// Operands that number songs or folders, from 0.
std::optional<qint32> numberOf(const QString& operand) {
    bool ok = false;
    const int index = operand.toInt(&ok);
    return ok && index >= 0 ? std::optional<qint32>(index) : std::nullopt;
}

// The emulated player on the store, or the component of the player chosen, in the song order the user chose
// for it in Tunedeck.
std::unique_ptr<DeviceComponent> deviceFor(const SessionCommandSetting& setting) {
    if (setting.player.kind && setting.player.kind->ownStore)
        return std::make_unique<EmulatedPlayer>(setting.store);
    const DeviceFactory factory = [&](const PlayerEntry& player) {
        return createDevice(*player.kind, setting.componentsFolder, player.id);
    };
    try {
        return player_settings::createPlayerDevice(factory, setting.player,
                                                   SettingsFile(setting.programFolder, kSettingsSection));
    } catch (const DeviceError& error) {
        throw Refusal{error.description()};
    }
}

class Commands {
  public:
    Commands(const SessionCommandSetting& setting, QTextStream& out, QTextStream& err)
        : setting_(setting), session_(deviceFor(setting), playerWords(setting.player)), out_(out), err_(err) {
        const DisplayFontSetting font =
            readDisplayFont(SettingsFile(setting.programFolder, kSettingsSection));
        session_.setDisplayFont(font.name, font.pointSize);
        QObject::connect(&session_, &PlayerSession::noticed, [this](const QString& text) {
            err_ << terminalText(text) << '\n';
            err_.flush();
        });
        if (setting.showProgress)
            showProgress();
    }

    void send(const QStringList& files) {
        const auto titleOf = titles();
        const Outcome outcome = waitFor([&](PlayerSession::Done done) {
            session_.send(setting_.memory, setting_.folder, files, titleOf, PlayerSession::AfterRefusal::Stop,
                          done);
        });
        out_ << outcome.done << " of " << files.size() << " files sent\n";
        require(outcome);
    }
    void get(qint32 position, const QString& target) {
        const SongRef song = songAt(position);
        require(waitFor([&](PlayerSession::Done done) {
            session_.download(
                {song}, [target](const SongRef&) { return target; }, done);
        }));
        out_ << "song " << position << " written to " << terminalText(decodedPath(target)) << '\n';
    }
    void remove(QList<qint32> positions) {
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        QList<SongRef> songs;
        for (const qint32 position : positions)
            songs << songAt(position);
        const Outcome outcome = waitFor([&](PlayerSession::Done done) { session_.remove(songs, done); });
        out_ << outcome.done << " of " << songs.size() << " songs deleted\n";
        require(outcome);
    }
    void swap(qint32 first, qint32 second) {
        const SongRef one = songAt(first), other = songAt(second);
        require(waitFor([&](PlayerSession::Done done) { session_.swap(one, other, done); }));
    }
    void createFolder(const QString& name) {
        require(
            waitFor([&](PlayerSession::Done done) { session_.createFolder(setting_.memory, name, done); }));
    }
    void removeFolder(qint32 folder) {
        const QString name = folderName(folder);
        requireKeeping(waitFor([&](PlayerSession::Done done) {
            session_.removeFolder(setting_.memory, qint16(folder), name, done);
        }));
    }
    void format() {
        requireKeeping(waitFor([&](PlayerSession::Done done) { session_.format(setting_.memory, done); }));
    }
    // The music files of `folder` in the file list's order, synced into the folder chosen or the new one.
    void sync(const QString& folder) {
        SyncRequest request{.memory = setting_.memory, .removeOnlyOnPlayer = setting_.removeOnlyOnPlayer};
        for (const QString& name : musicFileNames(folder))
            request.files << folder + u'/' + name;
        if (setting_.newFolder)
            request.newFolder = *setting_.newFolder;
        else
            request.folder = FolderRef{setting_.folder, folderName(setting_.folder)};
        const PlayerSession::TitleOf titleOf = titles();
        SyncPreview preview;
        require(waitFor(session_, request, titleOf, preview));
        const SyncSummary& summary = request.folder ? *preview.intoFolder : preview.intoNewFolder;
        const QString text =
            syncSummaryText(summary, request.folder ? request.folder->name : request.newFolder,
                            !request.folder && !preview.newFolderExists, request.removeOnlyOnPlayer);
        for (const QString& line : text.split(u'\n'))
            out_ << terminalText(line) << '\n';
        if (setting_.dryRun) {
            const bool inStep = summary.toSend == 0 && !summary.reorder(request.removeOnlyOnPlayer) &&
                                (!request.removeOnlyOnPlayer || summary.onlyOnPlayer == 0) &&
                                (request.folder || preview.newFolderExists);
            if (!inStep)
                throw NotInStep{};
            return;
        }
        SyncResult result;
        const Outcome outcome = waitFor(session_, request, titleOf, result);
        out_ << terminalText(syncEndingText(outcome, result)) << '\n';
        if (!outcome.ok() || outcome.failed > 0)
            throw NotInStep{};
    }
    // A removal on a real player leaves what is not a song, and says so.
    void requireKeeping(const Outcome& outcome) {
        if (outcome.kept > 0)
            out_ << outcome.kept << " files kept that are not songs\n";
        require(outcome);
    }
    // As ls lists the emulated player's store, read through the player, a memory in one bracket.
    void list() {
        for (const PlayerMemory memory : {PlayerMemory::Internal, PlayerMemory::Card}) {
            MemoryReading reading;
            const Outcome outcome = waitFor(session_, memory, reading);
            if (memory == PlayerMemory::Card && reading.cardPresent == false) {
                printUnlistedMemory(out_, memory, QStringLiteral("absent"));
                continue;
            }
            require(outcome);
            MemoryListing listing{.free = *reading.available};
            for (size_t folder = 0; folder < reading.songs.size(); ++folder) {
                ListedFolder& listed =
                    listing.folders.emplace_back(ListedFolder{.name = reading.folders[qsizetype(folder)]});
                for (const SongRef& song : reading.songs[folder]) {
                    listing.used += song.size;
                    listed.songs.push_back({.name = song.name, .size = song.size});
                }
            }
            printMemory(out_, memory, listing);
        }
    }

  private:
    // Each file's display title: the one given, or Tunedeck's display format filled from its tags.
    PlayerSession::TitleOf titles() const {
        return [title = setting_.title,
                settings = SettingsFile(setting_.programFolder, kSettingsSection)](const QString& path) {
            TagRecord record;
            return title ? *title : displayTitleFor(path, record, settings);
        };
    }
    QString folderName(qint32 folder) {
        PaneReading reading;
        require(waitFor(session_, setting_.memory, std::nullopt, reading));
        if (folder >= reading.folders->size())
            throw Refusal{player_texts::kFolderOutOfRange};
        return reading.folders->at(folder);
    }
    SongRef songAt(qint32 position) {
        const FolderRef folder{.index = setting_.folder, .name = folderName(setting_.folder)};
        PaneReading reading;
        require(waitFor(session_, setting_.memory, folder, reading));
        if (position >= qint32(reading.songs->size()))
            throw Refusal{player_texts::kSongOutOfRange};
        return reading.songs->at(position);
    }
    void showProgress() {
        QObject::connect(&session_, &PlayerSession::songStarted,
                         [this](int song, int songs, const QString& name) {
                             err_ << '\n' << song << '/' << songs << ' ' << terminalText(name) << '\n';
                             err_.flush();
                         });
        QObject::connect(&session_, &PlayerSession::progressed, [this](const RunProgress& progress) {
            if (progress.songTotal > 0)
                err_ << '\r' << progress.songBytes * 100 / progress.songTotal << "% of "
                     << progress.songTotal / 1024 << " KB";
            err_.flush();
        });
    }

    const SessionCommandSetting& setting_;
    PlayerSession session_;
    QTextStream& out_;
    QTextStream& err_;
};

// The operands a command takes (-1: one or more), how many of the first are song or folder numbers (-1:
// all), and what it does with them.
struct SessionCommand {
    int operands;
    int numbered;
    std::function<void(Commands&, const QStringList& operands, const QList<qint32>& numbers)> run;
};

const std::map<QString, SessionCommand>& sessionCommands() {
    static const std::map<QString, SessionCommand> table{
        {QStringLiteral("send"), {-1, 0, [](Commands& c, const QStringList& o, auto&) { c.send(o); }}},
        {QStringLiteral("get"),
         {2, 1, [](Commands& c, const QStringList& o, auto& n) { c.get(n[0], o[1]); }}},
        {QStringLiteral("delete"), {-1, -1, [](Commands& c, auto&, auto& n) { c.remove(n); }}},
        {QStringLiteral("swap"), {2, -1, [](Commands& c, auto&, auto& n) { c.swap(n[0], n[1]); }}},
        {QStringLiteral("mkdir"),
         {1, 0, [](Commands& c, const QStringList& o, auto&) { c.createFolder(o[0]); }}},
        {QStringLiteral("rmdir"), {1, -1, [](Commands& c, auto&, auto& n) { c.removeFolder(n[0]); }}},
        {QStringLiteral("format"), {0, 0, [](Commands& c, auto&, auto&) { c.format(); }}},
        {QStringLiteral("ls"), {0, 0, [](Commands& c, auto&, auto&) { c.list(); }}},
        {QStringLiteral("sync"), {1, 0, [](Commands& c, const QStringList& o, auto&) { c.sync(o[0]); }}},
    };
    return table;
}

}  // namespace

bool isSessionCommand(const QString& command) {
    return sessionCommands().contains(command);
}

int runSessionCommand(const QString& command, const QStringList& operands,
                      const SessionCommandSetting& setting, QTextStream& out, QTextStream& err) {
    const SessionCommand& found = sessionCommands().at(command);
    const bool counted = found.operands < 0 ? !operands.isEmpty() : operands.size() == found.operands;
    const QStringList numbered = found.numbered < 0 ? operands : operands.mid(0, found.numbered);
    QList<qint32> numbers;
    for (const QString& operand : numbered)
        if (const std::optional<qint32> number = numberOf(operand))
            numbers << *number;
    if (!counted || numbers.size() != numbered.size()) {
        err << "tunedeck-player: bad operands for " << command << ": "
            << terminalText(decodedPath(operands.join(QLatin1Char(' ')))) << '\n';
        return kBadOperands;
    }
    try {
        Commands commands(setting, out, err);
        found.run(commands, operands, numbers);
    } catch (const Refusal& refusal) {
        err << "tunedeck-player: " << terminalText(refusal.description) << '\n';
        return kRefused;
    } catch (const NotInStep&) {
        return kRefused;
    }
    return 0;
}

}  // namespace tunedeck
