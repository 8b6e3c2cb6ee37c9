// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_format.h"

#include "device_component.h"
#include "player_texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>

#include <limits>

namespace tunedeck {
namespace {

constexpr int kStateVersion = 1;
constexpr int kEarlierCatalogueVersion = 1;  // no generation, no journal
constexpr int kCatalogueVersion = 2;

[[noreturn]] void damaged(const QString& fileName) {
    throw DeviceError(player_texts::kStoreDamaged + fileName);
}

QJsonObject objectOf(const QByteArray& json, const QString& fileName) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        damaged(fileName);
    return document.object();
}

qint64 versionOf(const QJsonObject& object) {
    return object.value(QStringLiteral("version")).toInteger(-1);
}

// The member `key`, which must be of the kind that `is` tests for.
QJsonValue memberOf(const QJsonObject& object, const QString& key, bool (QJsonValue::*is)() const,
                    const QString& fileName) {
    const QJsonValue value = object.value(key);
    if (!(value.*is)())
        damaged(fileName);
    return value;
}

QString stringOf(const QJsonObject& object, const QString& key, const QString& fileName) {
    return memberOf(object, key, &QJsonValue::isString, fileName).toString();
}

QByteArray displayOf(const QJsonObject& object, const QString& fileName) {
    const auto decoded =
        QByteArray::fromBase64Encoding(stringOf(object, QStringLiteral("display"), fileName).toLatin1(),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        damaged(fileName);
    return *decoded;
}

QJsonArray arrayOf(const QJsonObject& object, const QString& key, const QString& fileName) {
    return memberOf(object, key, &QJsonValue::isArray, fileName).toArray();
}

StoredSong songOf(const QJsonObject& object, const QString& fileName) {
    StoredSong song{
        .name = stringOf(object, QStringLiteral("name"), fileName),
        .size = object.value(QStringLiteral("size")).toInteger(-1),
        .dataFile = stringOf(object, QStringLiteral("data"), fileName),
        .display = displayOf(object, fileName),
    };
    if (song.size < 0 || !isDataFileName(song.dataFile))
        damaged(fileName);
    return song;
}

QString encoded(const QByteArray& display) {
    return QString::fromLatin1(display.toBase64());
}

QJsonObject songObject(const StoredSong& song) {
    return {{QStringLiteral("name"), song.name},
            {QStringLiteral("size"), song.size},
            {QStringLiteral("data"), song.dataFile},
            {QStringLiteral("display"), encoded(song.display)}};
}

}  // namespace

qint64 MemoryCatalogue::usedBytes() const {
    qint64 used = 0;
    for (const StoredFolder& folder : folders)
        for (const StoredSong& song : folder.songs)
            used += song.size;
    return used;
}

QSet<QString> dataFilesOf(const MemoryCatalogue& catalogue) {
    QSet<QString> names;
    for (const StoredFolder& folder : catalogue.folders)
        for (const StoredSong& song : folder.songs)
            names.insert(song.dataFile);
    return names;
}

QByteArray catalogueToJson(const MemoryCatalogue& catalogue) {
    QJsonArray folders;
    for (const StoredFolder& folder : catalogue.folders) {
        QJsonArray songs;
        for (const StoredSong& song : folder.songs)
            songs.append(songObject(song));
        folders.append(QJsonObject{{QStringLiteral("name"), folder.name},
                                   {QStringLiteral("display"), encoded(folder.display)},
                                   {QStringLiteral("songs"), songs}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), kCatalogueVersion},
                                     {QStringLiteral("generation"), catalogue.generation},
                                     {QStringLiteral("folders"), folders}})
        .toJson();
}

QByteArray deviceStateToJson(const DeviceState& state) {
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), kStateVersion},
                                     {QStringLiteral("connected"), state.connected},
                                     {QStringLiteral("card"), state.cardPresent},
                                     {QStringLiteral("speed"), state.speedKbps}})
        .toJson();
}

QByteArray journalLine(const JournalEntry& entry) {
    QJsonObject object = songObject(entry.song);
    object.insert(QStringLiteral("folder"), entry.folder);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

MemoryCatalogue catalogueFromJson(const QByteArray& json, const QString& fileName) {
    const QJsonObject object = objectOf(json, fileName);
    MemoryCatalogue catalogue;
    if (versionOf(object) == kCatalogueVersion) {
        catalogue.generation = object.value(QStringLiteral("generation")).toInteger(0);
        if (catalogue.generation < 1)
            damaged(fileName);
    } else if (versionOf(object) != kEarlierCatalogueVersion) {
        damaged(fileName);
    }
    QSet<QString> dataFiles;
    for (const QJsonValue& folderValue : arrayOf(object, QStringLiteral("folders"), fileName)) {
        const QJsonObject object = folderValue.toObject();
        StoredFolder folder{.name = stringOf(object, QStringLiteral("name"), fileName),
                            .display = displayOf(object, fileName)};
        for (const QJsonValue& songValue : arrayOf(object, QStringLiteral("songs"), fileName)) {
            StoredSong song = songOf(songValue.toObject(), fileName);
            // Two songs on one data file would lose the other's bytes when one is deleted.
            if (dataFiles.contains(song.dataFile))
                damaged(fileName);
            dataFiles.insert(song.dataFile);
            folder.songs.push_back(std::move(song));
        }
        catalogue.folders.push_back(std::move(folder));
    }
    return catalogue;
}

DeviceState deviceStateFromJson(const QByteArray& json, const QString& fileName) {
    const QJsonObject object = objectOf(json, fileName);
    if (versionOf(object) != kStateVersion)
        damaged(fileName);
    const DeviceState state{
        .connected = memberOf(object, QStringLiteral("connected"), &QJsonValue::isBool, fileName).toBool(),
        .cardPresent = memberOf(object, QStringLiteral("card"), &QJsonValue::isBool, fileName).toBool(),
        .speedKbps = object.value(QStringLiteral("speed")).toInteger(object.contains(u"speed") ? -1 : 0)};
    if (state.speedKbps < 0)
        damaged(fileName);
    return state;
}

JournalEntry journalEntryFromJson(const QByteArray& line, const QString& fileName) {
    const QJsonObject object = objectOf(line, fileName);
    const qint64 folder = object.value(QStringLiteral("folder")).toInteger(-1);
    if (folder < 0 || folder > std::numeric_limits<qint32>::max())
        damaged(fileName);
    return {.folder = qint32(folder), .song = songOf(object, fileName)};
}

std::optional<qint64> speedFromText(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,15}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

QString speedText(qint64 speedKbps) {
    return speedKbps > 0 ? QStringLiteral("%1 KB/s").arg(speedKbps) : QStringLiteral("unlimited");
}

QString newDataFileName() {
    return QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".song");
}

bool isDataFileName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{32}\\.song$"));
    return pattern.match(name).hasMatch();
}

}  // namespace tunedeck
