#include "store_format.h"

#include "device_component.h"
#include "player_texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>

namespace tunedeck {
namespace {

constexpr int kVersion = 1;

[[noreturn]] void damaged(const QString& fileName) {
    throw DeviceError(player_texts::kStoreDamaged + fileName);
}

QJsonObject objectOf(const QByteArray& json, const QString& fileName) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        damaged(fileName);
    QJsonObject object = document.object();
    if (object.value(QStringLiteral("version")).toInteger(-1) != kVersion)
        damaged(fileName);
    return object;
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

StoredSong songOf(const QJsonValue& value, const QString& fileName) {
    const QJsonObject object = value.toObject();
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

}  // namespace

qint64 MemoryCatalogue::usedBytes() const {
    qint64 used = 0;
    for (const StoredFolder& folder : folders)
        for (const StoredSong& song : folder.songs)
            used += song.size;
    return used;
}

QByteArray catalogueToJson(const MemoryCatalogue& catalogue) {
    QJsonArray folders;
    for (const StoredFolder& folder : catalogue.folders) {
        QJsonArray songs;
        for (const StoredSong& song : folder.songs)
            songs.append(QJsonObject{{QStringLiteral("name"), song.name},
                                     {QStringLiteral("size"), song.size},
                                     {QStringLiteral("data"), song.dataFile},
                                     {QStringLiteral("display"), encoded(song.display)}});
        folders.append(QJsonObject{{QStringLiteral("name"), folder.name},
                                   {QStringLiteral("display"), encoded(folder.display)},
                                   {QStringLiteral("songs"), songs}});
    }
    return QJsonDocument(
               QJsonObject{{QStringLiteral("version"), kVersion}, {QStringLiteral("folders"), folders}})
        .toJson();
}

QByteArray deviceStateToJson(const DeviceState& state) {
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), kVersion},
                                     {QStringLiteral("connected"), state.connected},
                                     {QStringLiteral("card"), state.cardPresent}})
        .toJson();
}

MemoryCatalogue catalogueFromJson(const QByteArray& json, const QString& fileName) {
    MemoryCatalogue catalogue;
    QSet<QString> dataFiles;
    for (const QJsonValue& folderValue :
         arrayOf(objectOf(json, fileName), QStringLiteral("folders"), fileName)) {
        const QJsonObject object = folderValue.toObject();
        StoredFolder folder{.name = stringOf(object, QStringLiteral("name"), fileName),
                            .display = displayOf(object, fileName)};
        for (const QJsonValue& songValue : arrayOf(object, QStringLiteral("songs"), fileName)) {
            StoredSong song = songOf(songValue, fileName);
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
    return {
        .connected = memberOf(object, QStringLiteral("connected"), &QJsonValue::isBool, fileName).toBool(),
        .cardPresent = memberOf(object, QStringLiteral("card"), &QJsonValue::isBool, fileName).toBool()};
}

QString newDataFileName() {
    return QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".song");
}

bool isDataFileName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{32}\\.song$"));
    return pattern.match(name).hasMatch();
}

}  // namespace tunedeck
