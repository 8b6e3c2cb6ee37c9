#include "tag_text.h"

#include "cp932.h"

namespace tunedeck {

// Cut before decoding, so that the padding is never decoded: neither a NUL nor a space byte is ever the
// second byte of a character, so the cut falls where it would in the decoded text.
QString tagText(QByteArrayView field) {
    const qsizetype nul = field.indexOf('\0');
    if (nul >= 0)
        return cp932::decode(field.first(nul));
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    return cp932::decode(field.sliced(begin, end - begin));
}

}  // namespace tunedeck
