// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_format.h"

#include "local_path.h"

namespace tunedeck {
namespace {

QString playingTime(const TagRecord& record) {
    // Minutes as "#" (nothing at all for 0), seconds as "00".
    const QString minutes = record.minutes == 0 ? QString() : QString::number(record.minutes);
    const qint64 seconds = record.seconds;
    const QString digits = QStringLiteral("%1").arg(seconds < 0 ? -seconds : seconds, 2, 10, QChar(u'0'));
    return minutes + (seconds < 0 ? QStringLiteral(":-") : QStringLiteral(":")) + digits;
}

QStringView fileNameIn(const QString& path) {
    return QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
}

// Calls `take` with every piece of the title in order: the runs of plain text and the replacements.
template <typename Take>
void forEachPiece(QStringView format, const QString& path, const TagRecord& record, Take take) {
    for (qsizetype i = 0; i < format.size(); ++i) {
        qsizetype percent = i;
        while (percent < format.size() && format[percent] != u'%')
            ++percent;
        take(format.sliced(i, percent - i));
        if (percent + 1 >= format.size())
            return;  // no placeholder left, or a final "%", which gives nothing
        i = percent + 1;
        // No other character has "A" or "B" as its upper case.
        switch (format[i].unicode()) {
            case u'1':
                take(record.artist);
                break;
            case u'2':
                take(record.title);
                break;
            case u'3':
                take(record.album);
                break;
            case u'4':
                take(record.release);
                break;
            case u'5':
                take(record.comment);
                break;
            case u'A':
            case u'a':
                take(playingTime(record));
                break;
            case u'B':
            case u'b':
                take(nameText(fileNameIn(path).toString()));
                break;
            case u'%':
                take(u"%");
                break;
            default:
                break;
        }
        // A character outside the basic plane is dropped whole, never half of it.
        if (format[i].isHighSurrogate() && i + 1 < format.size() && format[i + 1].isLowSurrogate())
            ++i;
    }
}

}  // namespace

// Measured first, then written in place: one allocation of the exact size, however many pieces there are.
// The pieces are a few characters each and are copied by a plain loop: a call of the C library's vector copy
// for each cost more, measured over a folder, than all the rest of the title.
QString formatDisplayTitle(QStringView format, const QString& path, const TagRecord& record) {
    qsizetype size = 0;
    forEachPiece(format, path, record, [&size](QStringView piece) { size += piece.size(); });
    QString result(size, Qt::Uninitialized);
    QChar* out = result.data();
    forEachPiece(format, path, record, [&out](QStringView piece) {
        for (QChar c : piece)
            *out++ = c;
    });
    return result;
}

QString fileNameOf(const QString& path) {
    return nameText(fileNameIn(path).toString());
}

}  // namespace tunedeck
