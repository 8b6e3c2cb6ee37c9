#pragma once

#include "emulated_player.h"
#include "music_files.h"
#include "player_texts.h"
#include "qt_printers.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gmock/gmock.h>

namespace tunedeck::testing {

// `size` bytes that differ from position to position and from seed to seed, so a song mixed up with another
// or shifted by a chunk shows.
inline QByteArray songBytes(qint64 size, int seed) {
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file under `folder` by path relative to it, with its bytes; but the lock, which only says whether the
// store is open.
inline QMap<QString, QByteArray> storeFiles(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString path = it.next(); !path.endsWith(QStringLiteral("/lock")))
            files.insert(path.mid(folder.size() + 1), readFile(path));
    return files;
}

// A call refused with a description that starts with `description` (whole, but for the ones that name a
// path).
inline auto refused(const QString& description) {
    return ::testing::ThrowsMessage<DeviceError>(::testing::StartsWith(description.toStdString()));
}

// A temporary folder holding a store folder and the files to send.
class PlayerTest : public ::testing::Test {
  protected:
    QString root() const { return dir_.path(); }
    QString storePath() const { return dir_.path() + QStringLiteral("/store"); }
    QString dataPath() const { return storePath() + QStringLiteral("/data"); }
    QString writeSource(const QString& name, const QByteArray& bytes) const {
        return writeFile(dir_.filePath(name), bytes);
    }

  private:
    QTemporaryDir dir_;
};

}  // namespace tunedeck::testing
