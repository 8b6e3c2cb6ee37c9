// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "local_path.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

// Music-file bytes built from their parts, and the one way to write and read a file, for the tests, the
// benchmarks and the fuzz seeds.
namespace tunedeck::testing {

// A chunk header claiming `size` bytes (little-endian), followed by `body` as it stands (shorter, longer, no
// pad byte).
inline QByteArray riffChunkClaiming(QByteArrayView id, quint32 size, QByteArrayView body) {
    const char little[] = {char(size), char(size >> 8), char(size >> 16), char(size >> 24)};
    return id.toByteArray() + QByteArray(little, 4) + body.toByteArray();
}

// A RIFF chunk or sub-chunk: identifier, size, body and a zero pad byte when the body's length is odd.
inline QByteArray riffChunk(QByteArrayView id, QByteArrayView body) {
    return riffChunkClaiming(id, quint32(body.size()), body) + QByteArray(body.size() % 2, '\0');
}

// A LIST chunk of the given list type holding `subChunks` back to back.
inline QByteArray listChunk(const QList<QByteArray>& subChunks, QByteArrayView listType = "INFO") {
    return riffChunk("LIST", listType.toByteArray() + subChunks.join());
}

// "RIFF", the size of what follows (or `riffSize`), "RMP3", then `chunks` back to back.
inline QByteArray rmp3File(const QList<QByteArray>& chunks, std::optional<quint32> riffSize = std::nullopt) {
    const QByteArray body = "RMP3" + chunks.join();
    return riffChunkClaiming("RIFF", riffSize.value_or(quint32(body.size())), body);
}

// The fields of an ID3v1 tag as stored bytes (use cp932::encode for Japanese texts); longer ones are cut.
struct Id3v1Fields {
    QByteArray title, artist, album, year, comment;
    char padding = '\0';          // what fills each field after its text: NUL or space
    std::optional<quint8> track;  // ID3v1.1: comment byte 28 is 0, byte 29 the track number
};

// The 128-byte tag, of no genre.
inline QByteArray id3v1Tag(const Id3v1Fields& fields) {
    const auto field = [&](auto& text, int size) { return text.leftJustified(size, fields.padding, true); };
    QByteArray comment = field(fields.comment, 30);
    if (fields.track)
        comment = comment.first(28) + '\0' + char(*fields.track);
    return "TAG" + field(fields.title, 30) + field(fields.artist, 30) + field(fields.album, 30) +
           field(fields.year, 4) + comment + '\xFF';
}

// `audioBytes` bytes of silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each, so that a
// scanner finds real frame headers where it looks for them) followed by the tag.
inline QByteArray mp3File(const Id3v1Fields& fields, qsizetype audioBytes) {
    const QByteArray frame = QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\0');
    return frame.repeated(audioBytes / frame.size() + 1).first(audioBytes) + id3v1Tag(fields);
}

// A temporary folder removed with everything in it, also names that are not UTF-8, which QTemporaryDir
// passes over.
class TemporaryFolder : public QTemporaryDir {
  public:
    ~TemporaryFolder() { std::filesystem::remove_all(QFile::encodeName(path()).toStdString()); }
};

// Writes `bytes` to `path`, making its folders and replacing what was there, and returns `path`; throws when
// it cannot. By its bytes: a name held as a path (local_path.h) need not be UTF-8.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    for (qsizetype slash = path.indexOf(u'/', 1); slash > 0; slash = path.indexOf(u'/', slash + 1))
        ::mkdir(NativePath(path.first(slash)).c_str(), 0755);
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
    if (fd < 0 || ::close(fd) != 0 || !written)
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace tunedeck::testing
