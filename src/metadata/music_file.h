#pragma once

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

  private:
    int fd_ = -1;
    mutable qint64 size_ = -2;
};

}  // namespace tunedeck
