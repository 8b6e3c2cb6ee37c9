// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>
#include <QtGlobal>

#include <optional>
#include <span>

namespace tunedeck {

// A file opened for reading its tags: reads at given offsets and nothing more than asked for. Bytes read
// ahead are kept, so that the reads that follow inside them cost no system call. The descriptor is closed
// when the object goes, on every path.
class MusicFile {
  public:
    // What a read ahead holds without a heap allocation: a file's opening chunks, or a short LIST chunk.
    static constexpr qint64 kBlock = 512;

    explicit MusicFile(const QString& path);
    ~MusicFile();
    MusicFile(const MusicFile&) = delete;
    MusicFile& operator=(const MusicFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // The number of bytes read into `buffer` from `offset`: fewer at the end of the file, -1 when the file
    // cannot be read there (not open, a folder, a pipe).
    qint64 readAt(qint64 offset, std::span<char> buffer) const;

    // True when all of `buffer` could be read.
    bool readExactly(qint64 offset, std::span<char> buffer) const {
        return readAt(offset, buffer) == qint64(buffer.size());
    }

    // The length of the file, asked for once; -1 when unknown.
    qint64 size() const;

    // Reads up to `size` bytes from `offset` in one go, in place of those read ahead before, unless these
    // hold them already: for a run of small headers and texts known to lie together. The number of bytes
    // read from the file.
    qint64 readAhead(qint64 offset, qint64 size);

    // The `size` bytes at `offset` when the bytes read ahead hold them all; valid until the next read ahead.
    std::optional<QByteArrayView> heldAt(qint64 offset, qint64 size) const;

  private:
    int fd_ = -1;
    mutable qint64 size_ = -2;
    qint64 aheadOffset_ = 0;
    QVarLengthArray<char, kBlock> ahead_;
};

}  // namespace tunedeck
