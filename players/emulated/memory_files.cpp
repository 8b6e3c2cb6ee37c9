// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_files.h"

#include "device_component.h"
#include "player_texts.h"
#include "store_io.h"

#include <QDir>
#include <QRegularExpression>

#include <unistd.h>

#include <algorithm>

namespace tunedeck {
namespace {

[[noreturn]] void damaged(const QString& name) {
    throw DeviceError(player_texts::kStoreDamaged + name);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

qint64 sizeOrNone(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_size : 0;
}

}  // namespace

MemoryFiles::MemoryFiles(const QString& folder, PlayerMemory memory, StoreHooks hooks)
    : folder_(folder), memory_(memory), hooks_(std::move(hooks)) {}

QString MemoryFiles::catalogueName(PlayerMemory memory) {
    return QStringLiteral("memory%1.json").arg(memoryNumber(memory));
}

bool MemoryFiles::isCurrent() const {
    struct stat now {};
    return !damage_ && held_ &&
           ::stat(QFile::encodeName(path(catalogueName(memory_))).constData(), &now) == 0 &&
           sameFile(now, heldStat_) && sizeOrNone(path(journalName(catalogue_.generation))) == journalSize_;
}

void MemoryFiles::load() {
    closeJournal();
    held_.reset();
    damage_.reset();
    catalogue_ = {};
    used_ = 0;
    const QString name = catalogueName(memory_);
    try {
        auto file = std::make_unique<QFile>(path(name));
        struct stat status {};
        if (!file->open(QIODevice::ReadOnly) || ::fstat(file->handle(), &status) != 0)
            damaged(name);
        MemoryCatalogue catalogue = catalogueFromJson(file->readAll(), name);
        const qint64 journalSize = replayJournal(catalogue);
        const qint64 used = catalogue.usedBytes();
        if (used > capacityOf(memory_))
            damaged(name);
        catalogue_ = std::move(catalogue);
        used_ = used;
        held_ = std::move(file);
        heldStat_ = status;
        journalSize_ = journalSize;
    } catch (const DeviceError& error) {
        damage_ = error.description();
    }
}

void MemoryFiles::declareDamaged() {
    damage_ = player_texts::kStoreDamaged + catalogueName(memory_);
}

const MemoryCatalogue& MemoryFiles::catalogue() const {
    if (damage_)
        throw DeviceError(*damage_);
    return catalogue_;
}

qint64 MemoryFiles::usedBytes() const {
    catalogue();
    return used_;
}

void MemoryFiles::add(qint32 folder, StoredSong song) {
    if (catalogue_.generation == 0) {
        // An earlier version's catalogue: that version reads no journal and would sweep the data it names.
        MemoryCatalogue next = catalogue();
        next.folders[folder].songs.push_back(std::move(song));
        rewrite(std::move(next));
        return;
    }
    const QByteArray line = journalLine({.folder = folder, .song = song});
    if (!journal_) {
        auto journal = std::make_unique<QFile>(path(journalName(catalogue_.generation)));
        if (!journal->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            throw DeviceError(player_texts::kStoreUnwritable + journal->errorString());
        journal_ = std::move(journal);
    }
    if (journal_->write(line) != line.size() || ::fdatasync(journal_->handle()) != 0) {
        const QString why = journal_->errorString();
        // A part of a line left at the end would read as a crash's torn line and swallow the next one.
        if (journalSize_ == 0)
            journal_->remove();
        else
            journal_->resize(journalSize_);
        journal_.reset();
        throw DeviceError(player_texts::kStoreUnwritable + why);
    }
    journalSize_ += line.size();
    used_ += song.size;
    catalogue_.folders[folder].songs.push_back(std::move(song));
}

void MemoryFiles::compactIfDue() {
    if (journalSize_ <= heldStat_.st_size)
        return;
    try {
        rewrite(catalogue_);
    } catch (const DeviceError&) {
        // The songs are safe in the journal; the next add tries again.
    }
}

void MemoryFiles::rewrite(MemoryCatalogue next) {
    next.generation = nextGeneration();
    const QString name = catalogueName(memory_);
    writeSafely(path(name), catalogueToJson(next));
    closeJournal();
    // Whatever follows, the new catalogue holds every song, and the journals stale.
    auto file = std::make_unique<QFile>(path(name));
    struct stat status {};
    if (file->open(QIODevice::ReadOnly) && ::fstat(file->handle(), &status) == 0) {
        held_ = std::move(file);
        heldStat_ = status;
    } else {
        held_.reset();
    }
    journalSize_ = 0;
    used_ = next.usedBytes();
    catalogue_ = std::move(next);
    damage_.reset();
    if (hooks_.reached)
        hooks_.reached(CrashPoint::NewCatalogue);
    removeStaleJournals();
}

void MemoryFiles::removeStaleJournals() const {
    removeJournalsBut(catalogue_.generation);
}

void MemoryFiles::closeJournal() {
    journal_.reset();
}

QString MemoryFiles::path(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

QString MemoryFiles::journalName(qint64 generation) const {
    return QStringLiteral("memory%1.%2.journal").arg(memoryNumber(memory_)).arg(generation);
}

std::optional<qint64> MemoryFiles::journalGeneration(const QString& name) const {
    const QRegularExpression pattern(
        QStringLiteral("^memory%1\\.([0-9]{1,18})\\.journal$").arg(memoryNumber(memory_)));
    if (const QRegularExpressionMatch match = pattern.match(name); match.hasMatch())
        return match.captured(1).toLongLong();
    return std::nullopt;
}

// Above every journal there is, so that the new catalogue never reads one it does not include, not even one
// of a damaged catalogue whose generation is unknown.
qint64 MemoryFiles::nextGeneration() const {
    qint64 highest = catalogue_.generation;
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System))
        highest = std::max(highest, journalGeneration(name).value_or(0));
    return highest + 1;
}

// Adds the journal's songs to `catalogue` and returns the bytes read, the torn line left out and cut off.
qint64 MemoryFiles::replayJournal(MemoryCatalogue& catalogue) const {
    const QString name = journalName(catalogue.generation);
    if (!QFile::exists(path(name)))
        return 0;
    QFile journal(path(name));
    if (!journal.open(QIODevice::ReadWrite))
        damaged(name);
    const QByteArray bytes = journal.readAll();
    const qsizetype whole = bytes.lastIndexOf('\n') + 1;
    QSet<QString> dataFiles = dataFilesOf(catalogue);
    for (qsizetype start = 0; start < whole;) {
        const qsizetype end = bytes.indexOf('\n', start);
        JournalEntry entry = journalEntryFromJson(bytes.sliced(start, end - start), name);
        if (entry.folder >= qint32(catalogue.folders.size()) || dataFiles.contains(entry.song.dataFile))
            damaged(name);
        dataFiles.insert(entry.song.dataFile);
        catalogue.folders[entry.folder].songs.push_back(std::move(entry.song));
        start = end + 1;
    }
    if (whole < bytes.size() && !journal.resize(whole))
        throw DeviceError(player_texts::kStoreUnwritable + journal.errorString());
    return whole;
}

void MemoryFiles::removeJournalsBut(qint64 generation) const {
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (const auto found = journalGeneration(name); found && *found != generation)
            QFile::remove(path(name));
}

}  // namespace tunedeck
