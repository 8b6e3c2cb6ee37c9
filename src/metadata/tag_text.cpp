// SPDX-License-Identifier: GPL-3.0-or-later
#include "tag_text.h"

#include "cp932.h"

#include <cstring>

namespace tunedeck {

// Cut before decoding, so that the padding is never decoded: neither a NUL nor a space byte is ever the
// second byte of a character, so the cut falls where it would in the decoded text.
QString tagText(QByteArrayView field) {
    const void* nul = field.isEmpty() ? nullptr : std::memchr(field.data(), '\0', field.size());
    if (nul)
        return cp932::decode(field.first(static_cast<const char*>(nul) - field.data()));
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    return cp932::decode(field.sliced(begin, end - begin));
}

}  // namespace tunedeck
