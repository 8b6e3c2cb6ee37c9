#include "display_title.h"
#include "settings_file.h"
#include "tags_command.h"
#include "title_format.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tunedeck;

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const auto parsed = tags_command::parseArguments(QCoreApplication::arguments().mid(1));
    if (const auto* error = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "tunedeck-tags: %s\n%s", qUtf8Printable(*error), tags_command::kUsage);
        return 2;
    }
    const auto& arguments = std::get<tags_command::Arguments>(parsed);
    // The settings file of the program installed beside this command.
    const QString format = arguments.format.value_or(
        readDisplayFormat(SettingsFile(QCoreApplication::applicationDirPath(), QStringLiteral("tunedeck"))));
    for (const QString& path : arguments.files) {
        TagRecord record;
        const TagKind kind = readTags(path, record);
        const QString title =
            kind == TagKind::None ? fileNameOf(path) : formatDisplayTitle(format, path, record);
        const QByteArray line = tags_command::tagsLine(path, kind, record, title).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, line.size(), stdout);
    }
    return 0;
}
