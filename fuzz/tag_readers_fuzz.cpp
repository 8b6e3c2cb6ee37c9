// SPDX-License-Identifier: GPL-3.0-or-later

// The tag readers on any file: no crash, no read outside a buffer, no descriptor left open, and the per-file
// procedure agrees with the readers called alone.
#include "display_title.h"
#include "id3v1_reader.h"
#include "rmp3_reader.h"
#include "scratch_file.h"

namespace {

using namespace tunedeck;

int lowestFreeDescriptor() {
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& path = fuzz::scratchPath();
    fuzz::writeScratch(path, data, size);
    static const int freeDescriptor = lowestFreeDescriptor();

    TagRecord rmp3;
    TagRecord id3v1;
    TagRecord either{.title = QStringLiteral("stale")};
    const bool isRmp3 = readRmp3Tags(path, rmp3);
    const bool hasId3v1 = readId3v1Tags(path, id3v1);
    const TagKind kind = readTags(path, either);

    if (!hasId3v1 && id3v1 != TagRecord{})
        __builtin_trap();
    const TagKind expected = isRmp3 ? TagKind::Rmp3 : hasId3v1 ? TagKind::Id3v1 : TagKind::None;
    if (kind != expected || either != (isRmp3 ? rmp3 : id3v1))
        __builtin_trap();
    if (lowestFreeDescriptor() != freeDescriptor)
        __builtin_trap();
    return 0;
}
