// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_title.h"
#include "local_path.h"
#include "program_version.h"
#include "settings_file.h"
#include "tags_command.h"
#include "terminal_text.h"
#include "write_folder.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tunedeck;

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const auto parsed = tags_command::parseArguments(commandArguments(argc, argv));
    if (const auto* error = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "tunedeck-tags: %s\n%s", qUtf8Printable(*error), tags_command::kUsage);
        return 2;
    }
    const auto& arguments = std::get<tags_command::Arguments>(parsed);
    if (arguments.request == tags_command::Arguments::Request::Help) {
        std::fputs(tags_command::kUsage, stdout);
        return 0;
    }
    if (arguments.request == tags_command::Arguments::Request::Version) {
        std::printf("tunedeck-tags %s\n", program_version::kFull);
        return 0;
    }
    // The settings file of the program installed beside this command.
    const QString format = arguments.format.value_or(readDisplayFormat(SettingsFile(
        runningProgramWriteFolder(QCoreApplication::applicationDirPath()).path, QStringLiteral("tunedeck"))));
    int status = 0;
    for (const QString& path : arguments.files) {
        if (const QString reason = tags_command::unreadableReason(path); !reason.isEmpty()) {
            std::fprintf(stderr, "tunedeck-tags: %s: %s\n", qUtf8Printable(terminalText(decodedPath(path))),
                         qUtf8Printable(reason));
            status = 1;
            continue;
        }
        TagRecord record;
        const TagKind kind = readTags(path, record);
        const QString title = displayTitleOf(kind, path, record, format);
        const QByteArray line =
            tags_command::tagsLine(decodedPath(path), kind, record, title).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, line.size(), stdout);
    }
    return status;
}
