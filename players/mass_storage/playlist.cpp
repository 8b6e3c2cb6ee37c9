// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist.h"

#include "local_path.h"

#include <QDir>

namespace tunedeck {
namespace {

QStringList segments(const QString& path) {
    return QDir::cleanPath(path).split(u'/', Qt::SkipEmptyParts);
}

// The path from `from` to `to`, both absolute, ending in "/" unless they are the same folder.
QString relativeFolder(const QString& from, const QString& to) {
    const QStringList a = segments(from), b = segments(to);
    qsizetype common = 0;
    while (common < a.size() && common < b.size() && a[common] == b[common])
        ++common;
    QString path = QStringLiteral("../").repeated(a.size() - common);
    for (qsizetype i = common; i < b.size(); ++i)
        path += b[i] + u'/';
    return path;
}

}  // namespace

QString playlistName(const QString& songFolderName) {
    return songFolderName + QStringLiteral(".m3u8");
}

QStringList playlistSongs(const QByteArray& contents, const QString& playlistFolder,
                          const QString& songFolder) {
    const QString folder = QDir::cleanPath(songFolder) + u'/';
    QStringList names;
    for (QByteArray line : contents.split('\n')) {
        if (line.startsWith("\xEF\xBB\xBF"))
            line = line.sliced(3);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith('/'))
            continue;
        const QString path =
            QDir::cleanPath(playlistFolder + u'/' + pathFromBytes(line).replace(u'\\', u'/'));
        if (!path.startsWith(folder))
            continue;
        const QString name = path.sliced(folder.size());
        if (!name.isEmpty() && !name.contains(u'/') && !names.contains(name))
            names << name;
    }
    return names;
}

QByteArray playlistText(const QStringList& songNames, const QString& playlistFolder,
                        const QString& songFolder) {
    const QString prefix = relativeFolder(playlistFolder, songFolder);
    QByteArray text = "#EXTM3U\r\n";
    for (const QString& name : songNames)
        text += pathBytes(prefix + name) + "\r\n";
    return text;
}

}  // namespace tunedeck
