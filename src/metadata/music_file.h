#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <span>

namespace tunedeck {

// A file opened for reading its tags: reads at given offsets and nothing more than asked for. The descriptor
// is closed when the object goes, on every path.
class MusicFile {
  public:
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

    // Reads up to `size` bytes from `offset` in one go, so that the reads that follow inside them cost no
    // system call: for a run of small headers and texts known to lie together.
    void readAhead(qint64 offset, qint64 size);

  private:
    int fd_ = -1;
    mutable qint64 size_ = -2;
    qint64 aheadOffset_ = 0;
    QByteArray ahead_;
};

}  // namespace tunedeck
