#include "tag_text.h"

namespace tunedeck {

// Cuts in place: the readers hand over the freshly decoded text.
QString cutTagText(QString decoded) {
    const qsizetype nul = decoded.indexOf(QChar(0));
    if (nul >= 0) {
        decoded.truncate(nul);
        return decoded;
    }
    qsizetype begin = 0;
    qsizetype end = decoded.size();
    while (begin < end && decoded[begin] == u' ')
        ++begin;
    while (end > begin && decoded[end - 1] == u' ')
        --end;
    decoded.truncate(end);
    return begin == 0 ? decoded : decoded.sliced(begin);
}

}  // namespace tunedeck
