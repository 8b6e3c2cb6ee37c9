// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_command.h"

#include "device_component.h"
#include "memory_listing.h"
#include "player_store.h"
#include "program_version.h"
#include "session_commands.h"
#include "terminal_text.h"

#include <QCommandLineParser>
#include <QDir>
#include <QSaveFile>

#include <functional>
#include <map>

namespace tunedeck {
namespace {

constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

using Action = std::function<void(PlayerStore&, const QStringList& operands, QTextStream& out)>;

void printStatus(PlayerStore& store, QTextStream& out) {
    out << "store: " << terminalText(QDir::toNativeSeparators(store.folder())) << '\n'
        << "connected: " << (store.state().connected ? "yes" : "no") << '\n'
        << "card: " << (store.state().cardPresent ? "present" : "absent") << '\n'
        << "speed: " << speedText(store.state().speedKbps) << '\n';
}

Action changeState(std::function<void(DeviceState&)> change) {
    return [change](PlayerStore& store, const QStringList&, QTextStream& out) {
        DeviceState state = store.state();
        change(state);
        store.commitState(state);
        printStatus(store, out);
    };
}

// The memories a user could look at now: the card only while it is in.
std::vector<PlayerMemory> reachableMemories(const PlayerStore& store) {
    if (store.state().cardPresent)
        return {PlayerMemory::Internal, PlayerMemory::Card};
    return {PlayerMemory::Internal};
}

void list(PlayerStore& store, const QStringList&, QTextStream& out) {
    for (PlayerMemory memory : {PlayerMemory::Internal, PlayerMemory::Card}) {
        if (memory == PlayerMemory::Card && !store.state().cardPresent) {
            printUnlistedMemory(out, memory, QStringLiteral("absent"));
            continue;
        }
        const MemoryCatalogue* read = nullptr;
        try {
            read = &store.catalogue(memory);
        } catch (const DeviceError& error) {
            // A damaged memory is said; the other one is still listed.
            printUnlistedMemory(out, memory, error.description());
            continue;
        }
        MemoryListing listing{.used = read->usedBytes(), .free = capacityOf(memory) - read->usedBytes()};
        for (const StoredFolder& folder : read->folders) {
            ListedFolder& listed = listing.folders.emplace_back(ListedFolder{.name = folder.name});
            for (const StoredSong& song : folder.songs)
                listed.songs.push_back({.name = song.name, .size = song.size});
        }
        printMemory(out, memory, listing);
    }
}

void writePng(const QString& path, const QByteArray& png) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(png) != png.size() ||
        !file.commit())
        throw DeviceError(QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString());
}

// File names say where a bitmap belongs: m<memory>-f<folder>[-s<song>].png.
void exportDisplay(PlayerStore& store, const QStringList& operands, QTextStream& out) {
    const QDir target(operands.at(0));
    if (!QDir().mkpath(target.path()))
        throw DeviceError(QStringLiteral("cannot create ") + target.path());
    int written = 0;
    int missing = 0;
    const auto save = [&](const QString& name, const QByteArray& png) {
        if (png.isEmpty()) {
            ++missing;
            return;
        }
        writePng(target.filePath(name), png);
        ++written;
    };
    for (PlayerMemory memory : reachableMemories(store)) {
        const MemoryCatalogue& catalogue = store.catalogue(memory);
        for (size_t f = 0; f < catalogue.folders.size(); ++f) {
            const QString stem =
                QStringLiteral("m%1-f%2").arg(memoryNumber(memory)).arg(f, 2, 10, QLatin1Char('0'));
            save(stem + QStringLiteral(".png"), catalogue.folders[f].display);
            for (size_t s = 0; s < catalogue.folders[f].songs.size(); ++s)
                save(stem + QStringLiteral("-s%1.png").arg(s, 3, 10, QLatin1Char('0')),
                     catalogue.folders[f].songs[s].display);
        }
    }
    out << written << " bitmaps written to " << terminalText(QDir::toNativeSeparators(target.path())) << '\n';
    if (missing > 0)
        out << missing << " items have no bitmap\n";
}

// The player --player names: the emulated one without it.
PlayerEntry chosenPlayer(const QString& given, const PlayerCommandSetting& setting) {
    // A folder may be given from the working folder.
    const QString id = given.startsWith(QLatin1Char('.')) ? QDir(given).absolutePath() : given;
    for (const PlayerEntry& found : setting.players ? setting.players->players() : std::vector<PlayerEntry>{})
        if (found.id == id)
            return found;
    return setting.kinds.absent(id, id);
}

void listPlayers(const PlayerCommandSetting& setting, const QString& store, QTextStream& out) {
    PlayerEntry standing = setting.kinds.absent(QString(), QString());
    if (standing.kind && standing.kind->ownStore)
        standing.memories = {QDir::toNativeSeparators(store)};
    std::vector<PlayerEntry> players{standing};
    if (setting.players)
        for (const PlayerEntry& found : setting.players->players())
            players.push_back(found);
    for (const PlayerEntry& player : players) {
        out << terminalText(player.id) << '\n'
            << "  kind: " << player.variety << '\n'
            << "  name: " << terminalText(player.name) << '\n';
        for (qsizetype memory = 0; memory < player.memories.size(); ++memory)
            out << "  memory " << memory << ": "
                << (player.memories[memory].isEmpty() ? QStringLiteral("not mounted")
                                                      : terminalText(player.memories[memory]))
                << '\n';
    }
}

struct Command {
    int operands;
    Action action;
};

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table{
        {QStringLiteral("status"),
         {0, [](PlayerStore& s, const QStringList&, QTextStream& o) { printStatus(s, o); }}},
        {QStringLiteral("connect"), {0, changeState([](DeviceState& d) { d.connected = true; })}},
        {QStringLiteral("disconnect"), {0, changeState([](DeviceState& d) { d.connected = false; })}},
        {QStringLiteral("insert-card"), {0, changeState([](DeviceState& d) { d.cardPresent = true; })}},
        {QStringLiteral("remove-card"), {0, changeState([](DeviceState& d) { d.cardPresent = false; })}},
        {QStringLiteral("set-speed"),
         {1,
          [](PlayerStore& s, const QStringList& o, QTextStream& out) {
              changeState([&](DeviceState& d) { d.speedKbps = *speedFromText(o[0]); })(s, o, out);
          }}},
        {QStringLiteral("ls"), {0, list}},
        {QStringLiteral("export-display"), {1, exportDisplay}},
    };
    return table;
}

const char* const kUsage =
    "usage: tunedeck-player [--store DIR] COMMAND\n"
    "       tunedeck-player [--store DIR | --player ID] [--memory 0|1] [--folder N] [--title TEXT] TRANSFER\n"
    "       tunedeck-player [--store DIR | --player ID] [--memory 0|1] [--folder N | --new-folder NAME]\n"
    "                       [--delete] [--dry-run] sync DIR\n"
    "       tunedeck-player [--player ID] ls\n"
    "       tunedeck-player players\n"
    "       tunedeck-player --help | --version\n"
    "Inspects and controls the emulated player on the store DIR (default: Tunedeck's, the folder \"player\"\n"
    "beside this command, or in ~/.local/share/tunedeck when this command's folder cannot be written).\n"
    "commands: status, connect, disconnect, insert-card, remove-card, set-speed KBPS, ls,\n"
    "          export-display DIR\n"
    "transfers, through the same player session as Tunedeck's (memories, folders and songs numbered as ls\n"
    "numbers them, from 0; memory 0 and folder 0 unless said):\n"
    "  send FILE...           the files, titled by TEXT or by Tunedeck's display format from their tags\n"
    "  get SONG DEST          the song written to the file DEST\n"
    "  delete SONG...         the songs deleted\n"
    "  swap SONG SONG         the two songs exchanged\n"
    "  mkdir NAME, rmdir N    a folder made, folder N removed\n"
    "  format                 every folder and song of the memory erased\n"
    "  sync DIR               the folder made to hold DIR's music files in DIR's name order: the files not\n"
    "                         on it sent (a song counts as there when its name and size are a file's), and\n"
    "                         with --delete the songs no file is removed; --new-folder: into the folder of\n"
    "                         that name, made when there is none; --dry-run: the summary only. Exit status\n"
    "                         0 when the folder is in step at the end\n"
    "players: lists the players found: the emulated one, USB and MTP players (id, kind, name, memories)\n"
    "  --player ID            acts on that player: an id from players, \"emulated\", or the folder of a\n"
    "                         mounted volume; songs in the order chosen for it in Tunedeck\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "Names and messages are printed a line each: a backslash as \\\\, a tab, line feed and carriage return\n"
    "as \\t, \\n and \\r, any other control character as \\x and its code in hex (\\x1b for ESC).\n";

}  // namespace

int runPlayerCommand(const QStringList& arguments, const PlayerCommandSetting& setting, QTextStream& out,
                     QTextStream& err) {
    QCommandLineParser parser;
    const QCommandLineOption storeOption(QStringLiteral("store"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption memoryOption(QStringLiteral("memory"), QString(), QStringLiteral("0|1"));
    const QCommandLineOption folderOption(QStringLiteral("folder"), QString(), QStringLiteral("N"));
    const QCommandLineOption titleOption(QStringLiteral("title"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption playerOption(QStringLiteral("player"), QString(), QStringLiteral("ID"));
    const QCommandLineOption newFolderOption(QStringLiteral("new-folder"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption deleteOption(QStringLiteral("delete"), QString());
    const QCommandLineOption dryRunOption(QStringLiteral("dry-run"), QString());
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOptions({storeOption, memoryOption, folderOption, titleOption, playerOption, newFolderOption,
                       deleteOption, dryRunOption, helpOption, versionOption});
    if (!parser.parse(QStringList{QStringLiteral("tunedeck-player")} + arguments)) {
        err << "tunedeck-player: " << parser.errorText() << '\n' << kUsage;
        return kBadArguments;
    }
    if (parser.isSet(helpOption)) {
        out << kUsage;
        return 0;
    }
    if (parser.isSet(versionOption)) {
        out << "tunedeck-player " << program_version::kFull << '\n';
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    const QString store = parser.isSet(storeOption) ? parser.value(storeOption) : setting.defaultStore;
    const QString memory = parser.value(memoryOption);
    bool folderRead = true;
    const int folder = parser.isSet(folderOption) ? parser.value(folderOption).toInt(&folderRead) : 0;
    if (positional == QStringList{QStringLiteral("players")}) {
        listPlayers(setting, store, out);
        return 0;
    }
    const PlayerEntry player = chosenPlayer(parser.value(playerOption), setting);
    const bool emulated = player.kind && player.kind->ownStore;
    if (!positional.isEmpty() && isSessionCommand(positional.first()) &&
        (!emulated || positional.first() != QLatin1String("ls"))) {
        if (!(memory.isEmpty() || memory == QLatin1String("0") || memory == QLatin1String("1")) ||
            !folderRead || folder < 0 || folder > SHRT_MAX ||
            (parser.isSet(folderOption) && parser.isSet(newFolderOption))) {
            err << "tunedeck-player: bad --memory, --folder or --new-folder\n" << kUsage;
            return kBadArguments;
        }
        return runSessionCommand(
            positional.first(), positional.mid(1),
            {.store = store,
             .player = player,
             .componentsFolder = setting.componentsFolder,
             .programFolder = setting.programFolder,
             .memory = memory == QLatin1String("1") ? PlayerMemory::Card : PlayerMemory::Internal,
             .folder = qint16(folder),
             .title = parser.isSet(titleOption) ? std::optional(parser.value(titleOption)) : std::nullopt,
             .showProgress = setting.terminal,
             .newFolder =
                 parser.isSet(newFolderOption) ? std::optional(parser.value(newFolderOption)) : std::nullopt,
             .removeOnlyOnPlayer = parser.isSet(deleteOption),
             .dryRun = parser.isSet(dryRunOption)},
            out, err);
    }
    const auto command = positional.isEmpty() ? commands().end() : commands().find(positional.first());
    if (!emulated && command != commands().end()) {
        err << "tunedeck-player: " << command->first << " acts on the emulated player only\n";
        return kBadArguments;
    }
    if (command == commands().end() || positional.size() - 1 != command->second.operands ||
        (command->first == QLatin1String("set-speed") && !speedFromText(positional[1]))) {
        err << "tunedeck-player: "
            << (positional.isEmpty() ? QStringLiteral("no command")
                                     : QStringLiteral("bad command: ") + positional.join(QLatin1Char(' ')))
            << '\n'
            << kUsage;
        return kBadArguments;
    }
    PlayerStore opened(store);
    try {
        opened.open();
        command->second.action(opened, positional.mid(1), out);
    } catch (const DeviceError& error) {
        err << "tunedeck-player: " << terminalText(error.description()) << '\n';
        return kRefused;
    }
    return 0;
}

}  // namespace tunedeck
