// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_player_info.h"

#include <QFile>
#include <QStandardPaths>

#include <map>

namespace tunedeck {
namespace {

// section → key → value, both names lower-cased.
using KeyFile = std::map<QString, std::map<QString, QString>>;

KeyFile readKeyFile(const QByteArray& text) {
    KeyFile file;
    QString section;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            file[section][line.left(equals).trimmed().toLower()] = line.mid(equals + 1).trimmed();
    }
    return file;
}

std::optional<QString> valueOf(const KeyFile& file, const char* section, const char* key) {
    const auto found = file.find(QString::fromLatin1(section));
    if (found == file.end())
        return std::nullopt;
    const auto value = found->second.find(QString::fromLatin1(key));
    if (value == found->second.end())
        return std::nullopt;
    return value->second;
}

QStringList listOf(const KeyFile& file, const char* section, const char* key) {
    QStringList items = valueOf(file, section, key).value_or(QString()).split(QLatin1Char(';'));
    for (QString& item : items)
        item = item.trimmed();
    items.removeAll(QString());
    return items;
}

// Rockbox lists a folder by name; a file may also say the order itself (a key of our own).
std::optional<SongOrder> orderOf(const KeyFile& file) {
    if (const auto said = valueOf(file, "storage", "songorder"))
        return songOrderFromKey(*said);
    if (valueOf(file, "device", "vendor")
            .value_or(QString())
            .compare(QStringLiteral("Rockbox"), Qt::CaseInsensitive) == 0)
        return SongOrder::Name;
    return std::nullopt;
}

}  // namespace

MediaPlayerInfo parseMediaPlayerInfo(const QByteArray& text) {
    const KeyFile file = readKeyFile(text);
    return {.vendor = valueOf(file, "device", "vendor").value_or(QString()),
            .product = valueOf(file, "device", "product").value_or(QString()),
            .accessProtocols = listOf(file, "device", "accessprotocol"),
            .audioFolders = listOf(file, "storage", "audiofolders"),
            .playlistPath = valueOf(file, "storage", "playlistpath"),
            .order = orderOf(file)};
}

std::optional<MediaPlayerInfo> readMediaPlayerInfo(const QString& name, const QStringList& folders) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return std::nullopt;
    for (const QString& folder : folders) {
        QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".mpi"));
        if (file.open(QIODevice::ReadOnly))
            return parseMediaPlayerInfo(file.readAll());
    }
    return std::nullopt;
}

QStringList mediaPlayerInfoFolders() {
    QStringList folders;
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/media-player-info");
    return folders;
}

}  // namespace tunedeck
