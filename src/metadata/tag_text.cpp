#include "tag_text.h"

namespace tunedeck {

QString cutTagText(QStringView decoded) {
    const qsizetype nul = decoded.indexOf(QChar(0));
    if (nul >= 0)
        return decoded.first(nul).toString();
    qsizetype begin = 0;
    qsizetype end = decoded.size();
    while (begin < end && decoded[begin] == u' ')
        ++begin;
    while (end > begin && decoded[end - 1] == u' ')
        --end;
    return decoded.sliced(begin, end - begin).toString();
}

}  // namespace tunedeck
