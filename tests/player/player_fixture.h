#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// `size` bytes that differ from position to position and from seed to seed, so a song mixed up with another
// or shifted by a chunk shows.
QByteArray songBytes(qint64 size, int seed);

// Every file under `folder` (recursively, by path relative to it) with its bytes, but the lock, which only
// says whether the store is open.
QMap<QString, QByteArray> storeFiles(const QString& folder);

// A temporary folder holding a store folder and the files to send.
class PlayerTest : public ::testing::Test {
  protected:
    QString root() const { return dir_.path(); }
    QString storePath() const { return dir_.path() + QStringLiteral("/store"); }
    QString dataPath() const { return storePath() + QStringLiteral("/data"); }
    QString writeSource(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& path) const;

  private:
    QTemporaryDir dir_;
};

}  // namespace tunedeck::testing
