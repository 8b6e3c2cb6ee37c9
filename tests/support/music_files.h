#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// Music-file bytes built from their parts, and the one way to write a file, for the tests, the benchmarks and
// the fuzz seeds.
namespace tunedeck::testing {

// A RIFF chunk or sub-chunk: identifier, size, body and a zero pad byte when the body's length is odd.
QByteArray riffChunk(QByteArrayView id, QByteArrayView body);

// A chunk header claiming `size` bytes (little-endian), followed by `body` as it stands (shorter, longer, no
// pad byte).
QByteArray riffChunkClaiming(QByteArrayView id, quint32 size, QByteArrayView body);

// A LIST chunk of the given list type holding `subChunks` back to back.
QByteArray listChunk(const QList<QByteArray>& subChunks, QByteArrayView listType = "INFO");

// "RIFF", the size of what follows (or `riffSize`), "RMP3", then `chunks` back to back.
QByteArray rmp3File(const QList<QByteArray>& chunks, std::optional<quint32> riffSize = std::nullopt);

// The fields of an ID3v1 tag as stored bytes (use cp932::encode for Japanese texts); longer ones are cut.
struct Id3v1Fields {
    QByteArray title, artist, album, year, comment;
    char padding = '\0';          // what fills each field after its text: NUL or space
    std::optional<quint8> track;  // ID3v1.1: comment byte 28 is 0, byte 29 the track number
};

// The 128-byte tag, of no genre.
QByteArray id3v1Tag(const Id3v1Fields& fields);

// `audioBytes` bytes of stand-in audio followed by the tag.
QByteArray mp3File(const Id3v1Fields& fields, qsizetype audioBytes);

// Writes `bytes` to `path`, making its folder and replacing what was there, and returns `path`; throws when
// it cannot.
QString writeFile(const QString& path, const QByteArray& bytes);

}  // namespace tunedeck::testing
