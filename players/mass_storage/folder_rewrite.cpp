// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_rewrite.h"

#include "file_player_texts.h"
#include "local_path.h"

#include <QSet>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tunedeck {
namespace {

void done(const StepDone& stepDone) {
    if (stepDone)
        stepDone();
}

Fd openOrFail(const Fd& parent, const QString& name) {
    Fd folder = openFolderAt(parent, name);
    if (!folder)
        throw volumeError(errno, name);
    return folder;
}

void removeFile(const Fd& folder, const QString& name) {
    if (::unlinkat(folder.get(), NativePath(name).c_str(), 0) != 0 && errno != ENOENT)
        throw volumeError(errno, name);
}

QStringList journalNames(const QByteArray& journal) {
    QStringList names;
    for (const QByteArray& name : journal.split('\0'))
        if (!name.isEmpty())
            names << pathFromBytes(name);
    return names;
}

QByteArray journalOf(const QStringList& names) {
    QByteArray journal;
    for (const QString& name : names)
        journal += pathBytes(name) + '\0';
    return journal;
}

// From the journal on: the entries still in the old folder move to the fresh one in the journal's order (any
// the journal does not name after them), the old folder goes and the fresh one takes its name. The journal
// lies beside the folders: inside the fresh one it would leave a free slot before the songs, which the next
// song sent would take. Every step is on the device before the next: the moves all at once (each entry is in
// one folder or the other, and the fresh folder keeps their order whatever part of them a crash leaves), the
// old folder's removal before the fresh one takes its name, so that no two entries ever have one name.
void completeRewrite(const Fd& audio, const QString& folder, const StepDone& stepDone) {
    const QString fresh = kRewritePrefix + folder;
    const QString journal = kRewriteJournal + folder;
    // The entries still in the old folder, moved; false once it is gone. Both folders are closed again
    // before the old one goes: FAT frees a folder's cluster only when its last holder lets it go.
    const auto movedAll = [&] {
        const Fd old = openFolderAt(audio, folder);
        if (!old)
            return false;
        const Fd target = openOrFail(audio, fresh);
        QStringList order = journalNames(readSmallFile(audio, journal));
        for (const VolumeEntry& entry : listEntries(old))
            if (!order.contains(entry.name))
                order << entry.name;
        for (const QString& name : order)
            if (entryExists(old, name))
                renameEntry(old, name, target, name);
        return true;
    };
    if (entryExists(audio, fresh)) {
        if (movedAll()) {
            syncVolume(audio);
            done(stepDone);
            if (::unlinkat(audio.get(), NativePath(folder).c_str(), AT_REMOVEDIR) != 0)
                throw volumeError(errno, folder);
            syncFolder(audio);
            done(stepDone);
        }
        renameEntry(audio, fresh, audio, folder, folder);
        syncVolume(audio);
        done(stepDone);
    }
    removeFile(audio, journal);
    syncFolder(audio);
}

// Before the journal nothing has moved: the fresh folder is empty.
void undoRewrite(const Fd& audio, const QString& folder) {
    const QString fresh = kRewritePrefix + folder;
    if (!entryExists(audio, folder)) {  // cannot be, but what the fresh folder holds is kept either way
        renameEntry(audio, fresh, audio, folder, folder);
        syncVolume(audio);
        return;
    }
    removeEntry(audio, fresh);
    syncFolder(audio);
}

// A rename's name as the user knows the song.
const QString& shownName(const Rename& rename) {
    return rename.from.startsWith(kOwnPrefix) ? rename.to : rename.from;
}

// The names of `renames` there are before them (states[0]) and after each one (states[k] after k).
std::vector<QSet<QString>> statesOf(const std::vector<Rename>& renames) {
    QSet<QString> before, made;
    for (const Rename& rename : renames) {
        if (!made.contains(rename.from))
            before.insert(rename.from);
        made.insert(rename.to);
    }
    std::vector<QSet<QString>> states{before};
    for (const Rename& rename : renames) {
        QSet<QString> next = states.back();
        next.remove(rename.from);
        next.insert(rename.to);
        states.push_back(std::move(next));
    }
    return states;
}

QSet<QString> presentOf(const Fd& folder, const std::vector<Rename>& renames) {
    QSet<QString> present;
    for (const Rename& rename : renames)
        for (const QString& name : {rename.from, rename.to})
            if (entryExists(folder, name))
                present.insert(name);
    return present;
}

// Does the renames from `next` on, each on the device before the next, since a later one may take a name an
// earlier one gave up; when one fails, every one before it is undone in turn. The journal goes last either
// way.
void completeRenames(const Fd& folder, const std::vector<Rename>& renames, std::size_t moved,
                     const StepDone& stepDone) {
    try {
        done(stepDone);  // the journal is on the device
        while (moved < renames.size()) {
            const Rename& rename = renames[moved];
            renameEntry(folder, rename.from, folder, rename.to, shownName(rename));
            ++moved;
            syncVolume(folder);
            done(stepDone);
        }
    } catch (const DeviceError&) {
        while (moved-- > 0)
            renameEntry(folder, renames[moved].to, folder, renames[moved].from, shownName(renames[moved]));
        syncVolume(folder);
        removeFile(folder, kRenameJournal);
        syncFolder(folder);
        throw;
    }
    removeFile(folder, kRenameJournal);
    syncFolder(folder);
}

// After a crash: how many of the renames are on the device, told by which of their names are there. Where
// two counts leave the same names (two songs of one title that swap numbers), either is the folder as it was
// or as it was to be, and the higher is taken. Renames that match no count were met by something else: they
// are left as they are.
void resumeRenames(const Fd& folder, const std::vector<Rename>& renames) {
    const std::vector<QSet<QString>> states = statesOf(renames);
    const QSet<QString> present = presentOf(folder, renames);
    for (std::size_t moved = renames.size() + 1; moved-- > 0;)
        if (states[moved] == present)
            return completeRenames(folder, renames, moved, {});
    removeFile(folder, kRenameJournal);
    syncFolder(folder);
}

std::vector<Rename> journalRenames(const QByteArray& journal) {
    const QStringList names = journalNames(journal);
    std::vector<Rename> renames;
    for (qsizetype i = 0; i + 1 < names.size(); i += 2)
        renames.push_back({names[i], names[i + 1]});
    return renames;
}

void writeRenameJournal(const Fd& folder, const std::vector<Rename>& renames) {
    QStringList names;
    for (const Rename& rename : renames)
        names << rename.from << rename.to;
    writeAtomically(folder, kRenameJournal, journalOf(names), shownName(renames.front()));
}

// An earlier version's number swap becomes the renames it stood for; once they are journaled, its own
// journal goes.
void convertSwapJournal(const Fd& folder) {
    const QStringList songs = journalNames(readSmallFile(folder, kSwapJournal));
    if (!entryExists(folder, kRenameJournal) && songs.size() == 2 && numberPrefixOf(songs[0]) &&
        numberPrefixOf(songs[1]))
        writeRenameJournal(folder, prefixSwap(songs[0], songs[1], {}));
    removeFile(folder, kSwapJournal);
    syncFolder(folder);
}

}  // namespace

void rewriteFolder(const Fd& audio, const QString& folder, const QStringList& order,
                   const StepDone& stepDone) {
    const QString fresh = kRewritePrefix + folder;
    makeFolder(audio, fresh, folder);
    syncFolder(audio);
    done(stepDone);
    writeAtomically(audio, kRewriteJournal + folder, journalOf(order), folder);
    done(stepDone);
    completeRewrite(audio, folder, stepDone);
}

void finishRewrites(const Fd& audio) {
    for (const VolumeEntry& entry : listEntries(audio)) {
        if (entry.kind == VolumeEntry::Kind::File && entry.name.startsWith(kRewriteJournal)) {
            completeRewrite(audio, entry.name.sliced(kRewriteJournal.size()), {});
        } else if (entry.kind == VolumeEntry::Kind::Folder && entry.name.startsWith(kRewritePrefix)) {
            const QString folder = entry.name.sliced(kRewritePrefix.size());
            // Unless a journal above has just finished it.
            if (entryExists(audio, entry.name) && !entryExists(audio, kRewriteJournal + folder))
                undoRewrite(audio, folder);
        }
    }
}

void renameAll(const Fd& folder, const std::vector<Rename>& renames, const StepDone& stepDone) {
    if (renames.empty())
        return;
    const QSet<QString> present = presentOf(folder, renames), before = statesOf(renames).front();
    for (const QString& name : present - before)
        throw DeviceError(file_player_texts::kNameTaken + nameText(name));
    for (const QString& name : before - present)
        throw volumeError(ENOENT, name);
    writeRenameJournal(folder, renames);
    completeRenames(folder, renames, 0, stepDone);
}

std::vector<Rename> prefixSwap(const QString& a, const QString& b, const NameLimit& limit) {
    const auto numberA = numberPrefixOf(a), numberB = numberPrefixOf(b);
    const auto named = [&](const QString& digits, const QString& rest) {
        const QString name = digits + u' ' + rest;
        return fatSafeName(stemOf(name), extensionOf(name), limit);
    };
    return {{a, kSwapHidden},
            {b, named(numberA->digits, numberB->rest)},
            {kSwapHidden, named(numberB->digits, numberA->rest)}};
}

void recoverFolder(const Fd& folder) {
    for (const VolumeEntry& entry : listEntries(folder))
        if (entry.kind == VolumeEntry::Kind::File && entry.name.startsWith(kPartPrefix))
            removeFile(folder, entry.name);
    if (entryExists(folder, kSwapJournal))
        convertSwapJournal(folder);
    if (entryExists(folder, kRenameJournal))
        resumeRenames(folder, journalRenames(readSmallFile(folder, kRenameJournal)));
}

}  // namespace tunedeck
