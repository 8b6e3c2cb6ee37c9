// SPDX-License-Identifier: GPL-3.0-or-later
#include "rmp3_reader.h"

#include "cp932.h"
#include "tag_text.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace tunedeck {
namespace {

constexpr qint64 kRiffHeaderSize = 12;
constexpr qint64 kChunkHeaderSize = 8;
constexpr qint64 kListTypeSize = 4;
// The sub-chunk loop measures itself against the LIST size from 12, not from the 4 bytes of the list type,
// so a last sub-chunk of size 0 is never read; RMP3 files have always been read this way.
constexpr qint64 kSubChunkCountStart = 12;
// A LIST chunk up to this size is read in one go; a larger one piece by piece.
constexpr qint64 kMaxReadAhead = 64 * 1024;
// No display shows more of a text than this. A longer one is read only in part, so that a hostile size
// cannot have the whole file read into memory.
constexpr qint64 kMaxTextBytes = 64 * 1024;
// The end of the largest RIFF chunk a 32-bit size can describe: no chunk of the file starts beyond it.
constexpr qint64 kFurthestChunk = kChunkHeaderSize + std::numeric_limits<quint32>::max();
// An RMP3 file holds a handful of chunks and a few short texts. A damaged or hostile one can hold millions
// of empty chunks or sub-chunks, or thousands of long texts, whose reading would hold the file list up for
// seconds. The two walks share this many bytes: room for 65,536 chunk headers, or for every text at the
// longest length kept, and well under a tenth of a second of reading.
constexpr qint64 kWalkBudget = 512 * 1024;

// The file as the walks read it: every byte they take in, read ahead or served, is charged to one budget.
// Once it is spent, a read fails as at the end of the file, which ends the walk with what it has found so
// far.
class BudgetedFile {
  public:
    explicit BudgetedFile(MusicFile& file) : file_(file) {}

    // The `size` bytes at `offset`, valid until the next read; nothing when the file ends first or the budget
    // is spent.
    std::optional<QByteArrayView> bytes(qint64 offset, qint64 size) {
        if (!charge(size))
            return std::nullopt;
        file_.readAhead(offset, size);
        return file_.heldAt(offset, size);
    }

    void readAhead(qint64 offset, qint64 size) { left_ -= file_.readAhead(offset, std::min(size, left_)); }

    qint64 size() const { return file_.size(); }

  private:
    bool charge(qint64 bytes) {
        if (bytes > left_)
            return false;
        left_ -= bytes;
        return true;
    }

    MusicFile& file_;
    qint64 left_ = kWalkBudget;
};

// A chunk header: its identifier and its size rounded up to even, or no size when it does not fit in a
// signed 32-bit value.
struct ChunkHeader {
    std::array<char, 4> id;
    std::optional<qint64> paddedSize;
};

std::optional<qint64> paddedSizeOf(const char* bytes) {
    const auto b = [bytes](int i) { return quint32(static_cast<unsigned char>(bytes[i])); };
    if (b(3) >= 0x80)
        return std::nullopt;
    const qint64 size = b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    const qint64 padded = size + (size & 1);
    if (padded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return padded;
}

std::optional<ChunkHeader> readChunkHeader(BudgetedFile& file, qint64 offset) {
    const auto bytes = file.bytes(offset, kChunkHeaderSize);
    if (!bytes)
        return std::nullopt;
    ChunkHeader header{.paddedSize = paddedSizeOf(bytes->data() + 4)};
    std::copy_n(bytes->begin(), 4, header.id.begin());
    return header;
}

bool isId(const std::array<char, 4>& id, const char (&expected)[5]) {
    return std::equal(id.begin(), id.end(), expected);
}

QString* fieldFor(const std::array<char, 4>& id, TagRecord& record) {
    if (isId(id, "IART"))
        return &record.artist;
    if (isId(id, "INAM"))
        return &record.title;
    if (isId(id, "IPRD"))
        return &record.album;
    if (isId(id, "ICRD"))
        return &record.release;
    if (isId(id, "ICMT"))
        return &record.comment;
    return nullptr;
}

// Reads the sub-chunks of the LIST chunk whose list type starts at `offset`. False when the file ends or
// a size does not fit, which ends the whole walk.
bool readListChunk(BudgetedFile& file, qint64 offset, qint64 listPaddedSize, TagRecord& record) {
    file.readAhead(offset, std::min(listPaddedSize, kMaxReadAhead));
    if (!file.bytes(offset, kListTypeSize))  // any list type is read as INFO
        return false;
    offset += kListTypeSize;
    qint64 count = kSubChunkCountStart;
    do {
        const auto header = readChunkHeader(file, offset);
        if (!header || !header->paddedSize)
            return false;
        const qint64 textStart = offset + kChunkHeaderSize;
        const qint64 textSize = *header->paddedSize;
        // The text is read with its pad byte; one cut short by the end of the file sets nothing.
        if (textSize > file.size() - textStart)
            return false;
        if (QString* field = fieldFor(header->id, record)) {
            // One byte more than is kept tells whether the last one kept begins a character that goes on.
            const auto text = file.bytes(textStart, std::min(textSize, kMaxTextBytes + 1));
            if (!text)
                return false;
            *field = tagText(cp932::prefixAtCharacterBoundary(*text, kMaxTextBytes));
        }
        offset = textStart + textSize;
        count += kChunkHeaderSize + textSize;
    } while (count < listPaddedSize);
    return true;
}

}  // namespace

bool readRmp3Tags(MusicFile& musicFile, TagRecord& record) {
    record = TagRecord{};
    // The identifiers are compared as bytes: a code page 932 text equals "RIFF" only when its bytes do.
    std::array<char, kRiffHeaderSize> riff;
    if (!musicFile.readExactly(0, riff) || !std::equal(riff.begin(), riff.begin() + 4, "RIFF") ||
        !std::equal(riff.begin() + 8, riff.end(), "RMP3"))
        return false;
    BudgetedFile file(musicFile);
    // One read for the chunks of a typical file, which follow the header.
    file.readAhead(kRiffHeaderSize, MusicFile::kBlock);
    const qint64 length = file.size();
    qint64 offset = kRiffHeaderSize;
    // Every step moves at least one chunk header forward, so the walk ends at the end of the file, or
    // sooner where the budget runs out.
    for (;;) {
        const auto header = readChunkHeader(file, offset);
        if (!header || !header->paddedSize)
            break;
        const qint64 body = offset + kChunkHeaderSize;
        if (isId(header->id, "LIST") && !readListChunk(file, body, *header->paddedSize, record))
            break;
        offset = body + *header->paddedSize;
        if (offset >= length - 1 || offset > kFurthestChunk)
            break;
    }
    return true;
}

bool readRmp3Tags(const QString& path, TagRecord& record) {
    MusicFile file(path);
    return readRmp3Tags(file, record);
}

}  // namespace tunedeck
