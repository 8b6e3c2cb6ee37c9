#include "title_format.h"

namespace tunedeck {
namespace {

QString playingTime(const TagRecord& record) {
    // Minutes as "#" (nothing at all for 0), seconds as "00".
    const QString minutes = record.minutes == 0 ? QString() : QString::number(record.minutes);
    const qint64 seconds = record.seconds;
    const QString digits = QStringLiteral("%1").arg(seconds < 0 ? -seconds : seconds, 2, 10, QChar(u'0'));
    return minutes + (seconds < 0 ? QStringLiteral(":-") : QStringLiteral(":")) + digits;
}

QString placeholder(QChar key, const QString& path, const TagRecord& record) {
    switch (key.toUpper().unicode()) {
        case u'1':
            return record.artist;
        case u'2':
            return record.title;
        case u'3':
            return record.album;
        case u'4':
            return record.release;
        case u'5':
            return record.comment;
        case u'A':
            return playingTime(record);
        case u'B':
            return fileNameOf(path);
        case u'%':
            return QStringLiteral("%");
        default:
            return {};
    }
}

}  // namespace

QString formatDisplayTitle(QStringView format, const QString& path, const TagRecord& record) {
    QString result;
    result.reserve(format.size() + record.artist.size() + record.title.size());
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            result.append(format[i]);
            continue;
        }
        if (++i == format.size())
            break;
        result.append(placeholder(format[i], path, record));
        // A character outside the basic plane is dropped whole, never half of it.
        if (format[i].isHighSurrogate() && i + 1 < format.size() && format[i + 1].isLowSurrogate())
            ++i;
    }
    return result;
}

QString fileNameOf(const QString& path) {
    return path.sliced(path.lastIndexOf(u'/') + 1);
}

}  // namespace tunedeck
