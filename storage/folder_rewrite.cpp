// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_rewrite.h"

#include "fat_names.h"
#include "local_path.h"

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

// From the journal on: the entries still in the old folder move to the fresh one in the journal's order (any
// the journal does not name after them), the old folder goes and the fresh one takes its name. The journal
// lies beside the folders: inside the fresh one it would leave a free slot before the songs, which the next
// song sent would take.
void completeRewrite(const Fd& audio, const QString& folder, const StepDone& stepDone) {
    const QString fresh = kRewritePrefix + folder;
    const QString journal = kRewriteJournal + folder;
    if (entryExists(audio, fresh)) {
        const Fd target = openOrFail(audio, fresh);
        if (const Fd old = openFolderAt(audio, folder)) {
            QStringList order = journalNames(readSmallFile(audio, journal));
            for (const VolumeEntry& entry : listEntries(old))
                if (!order.contains(entry.name))
                    order << entry.name;
            for (const QString& name : order) {
                if (!entryExists(old, name))
                    continue;
                renameEntry(old, name, target, name);
                done(stepDone);
            }
            syncFolder(target);
            if (::unlinkat(audio.get(), NativePath(folder).c_str(), AT_REMOVEDIR) != 0)
                throw volumeError(errno, folder);
            done(stepDone);
        }
        renameEntry(audio, fresh, audio, folder);
        syncFolder(audio);
        done(stepDone);
    }
    removeFile(audio, journal);
    syncFolder(audio);
}

// Before the journal nothing has moved: the fresh folder is empty.
void undoRewrite(const Fd& audio, const QString& folder) {
    const QString fresh = kRewritePrefix + folder;
    if (!entryExists(audio, folder)) {  // cannot be, but what the fresh folder holds is kept either way
        renameEntry(audio, fresh, audio, folder);
        return;
    }
    removeEntry(audio, fresh);
    syncFolder(audio);
}

// From the journal on: when the first song has gone to its hidden name, the second takes the first's number
// (unless it has already), then the first takes the second's; the journal goes last.
void completePrefixSwap(const Fd& folder, const StepDone& stepDone) {
    const QStringList songs = journalNames(readSmallFile(folder, kSwapJournal));
    const auto a = songs.size() == 2 ? numberPrefixOf(songs[0]) : std::nullopt;
    const auto b = songs.size() == 2 ? numberPrefixOf(songs[1]) : std::nullopt;
    if (a && b && entryExists(folder, kSwapHidden)) {
        if (entryExists(folder, songs[1])) {
            renameEntry(folder, songs[1], folder, a->digits + u' ' + b->rest);
            syncFolder(folder);
            done(stepDone);
        }
        renameEntry(folder, kSwapHidden, folder, b->digits + u' ' + a->rest);
        syncFolder(folder);
        done(stepDone);
    }
    removeFile(folder, kSwapJournal);
    syncFolder(folder);
}

}  // namespace

void rewriteFolder(const Fd& audio, const QString& folder, const QStringList& order,
                   const StepDone& stepDone) {
    const QString fresh = kRewritePrefix + folder;
    makeFolder(audio, fresh);
    syncFolder(audio);
    done(stepDone);
    QByteArray journal;
    for (const QString& name : order)
        journal += pathBytes(name) + '\0';
    writeAtomically(audio, kRewriteJournal + folder, journal);
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

void swapNumberPrefixes(const Fd& folder, const QString& a, const QString& b, const StepDone& stepDone) {
    writeAtomically(folder, kSwapJournal, pathBytes(a) + '\0' + pathBytes(b));
    done(stepDone);
    renameEntry(folder, a, folder, kSwapHidden);
    syncFolder(folder);
    done(stepDone);
    completePrefixSwap(folder, stepDone);
}

void recoverFolder(const Fd& folder) {
    for (const VolumeEntry& entry : listEntries(folder)) {
        if (entry.kind != VolumeEntry::Kind::File)
            continue;
        if (entry.name.startsWith(kPartPrefix))
            removeFile(folder, entry.name);
        else if (entry.name == kSwapJournal)
            completePrefixSwap(folder, {});
    }
}

}  // namespace tunedeck
