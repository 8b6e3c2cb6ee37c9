#include "music_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace tunedeck::testing {

QByteArray riffChunkClaiming(QByteArrayView id, quint32 size, QByteArrayView body) {
    QByteArray chunk = id.toByteArray();
    for (int i = 0; i < 4; ++i)
        chunk.append(char(size >> (8 * i) & 0xFF));
    return chunk + body.toByteArray();
}

QByteArray riffChunk(QByteArrayView id, QByteArrayView body) {
    QByteArray chunk = riffChunkClaiming(id, quint32(body.size()), body);
    if (body.size() % 2 != 0)
        chunk.append('\0');
    return chunk;
}

QByteArray listChunk(const QList<QByteArray>& subChunks, QByteArrayView listType) {
    return riffChunk("LIST", listType.toByteArray() + subChunks.join());
}

QByteArray rmp3File(const QList<QByteArray>& chunks, std::optional<quint32> riffSize) {
    const QByteArray body = "RMP3" + chunks.join();
    return riffChunkClaiming("RIFF", riffSize.value_or(quint32(body.size())), body);
}

namespace {

QByteArray field(const QByteArray& text, qsizetype size, char padding) {
    QByteArray bytes = text.first(std::min(text.size(), size));
    return bytes.append(QByteArray(size - bytes.size(), padding));
}

}  // namespace

QByteArray id3v1Tag(const Id3v1Fields& fields) {
    QByteArray comment = field(fields.comment, 30, fields.padding);
    if (fields.track) {
        comment[28] = '\0';
        comment[29] = char(*fields.track);
    }
    return "TAG" + field(fields.title, 30, fields.padding) + field(fields.artist, 30, fields.padding) +
           field(fields.album, 30, fields.padding) + field(fields.year, 4, fields.padding) + comment +
           '\xFF';  // no genre
}

QByteArray mp3File(const Id3v1Fields& fields, qsizetype audioBytes) {
    // Silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each), so that a scanner finds real
    // frame headers where it looks for them.
    static const QByteArray frame = QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\0');
    return frame.repeated(audioBytes / frame.size() + 1).first(audioBytes) + id3v1Tag(fields);
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

}  // namespace tunedeck::testing
