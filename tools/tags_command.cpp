#include "tags_command.h"

namespace tunedeck::tags_command {

const char kUsage[] = "usage: tunedeck-tags [--format FMT] FILE...\n";

std::variant<Arguments, QString> parseArguments(const QStringList& arguments) {
    Arguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u"--")) {
            parsed.files.append(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument != u"--format")
            return QStringLiteral("unknown option %1").arg(argument);
        if (++i == arguments.size())
            return QStringLiteral("--format needs a format");
        parsed.format = arguments[i];
    }
    if (parsed.files.isEmpty())
        return QStringLiteral("no files given");
    return parsed;
}

QString escapeField(const QString& field) {
    QString escaped;
    escaped.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
            case u'\\':
                escaped += u"\\\\";
                break;
            case u'\t':
                escaped += u"\\t";
                break;
            case u'\r':
                escaped += u"\\r";
                break;
            case u'\n':
                escaped += u"\\n";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

namespace {

QString kindName(TagKind kind) {
    switch (kind) {
        case TagKind::Rmp3:
            return QStringLiteral("RMP3");
        case TagKind::Id3v1:
            return QStringLiteral("ID3v1");
        case TagKind::None:
            break;
    }
    return QStringLiteral("-");
}

}  // namespace

QString tagsLine(const QString& path, TagKind kind, const TagRecord& record, const QString& displayTitle) {
    const QStringList fields{path,         kindName(kind), record.artist,  record.title,
                             record.album, record.release, record.comment, displayTitle};
    QStringList escaped;
    for (const QString& field : fields)
        escaped.append(escapeField(field));
    return escaped.join(u'\t');
}

}  // namespace tunedeck::tags_command
