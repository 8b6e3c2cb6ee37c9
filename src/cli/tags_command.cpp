// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags_command.h"

#include "local_path.h"
#include "terminal_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace tunedeck::tags_command {

const char kUsage[] =
    "usage: tunedeck-tags [--format FMT] [--] FILE...\n"
    "       tunedeck-tags --help | --version\n"
    "Prints a tab-separated line per file: the path, the tag kind (RMP3, ID3v1 or -), artist, title,\n"
    "album, release, comment and the display title in FMT (default: the DisplayFormat of the settings\n"
    "file beside this command). In every field a backslash is written \\\\, a tab, line feed and carriage\n"
    "return \\t, \\n and \\r, any other control character \\x and its code in hex (\\x1b for ESC).\n"
    "Exits with status 1 when a file cannot be read.\n";

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
        if (argument == u"--help" || argument == u"--version") {
            parsed.request = argument == u"--help" ? Arguments::Request::Help : Arguments::Request::Version;
            return parsed;
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

QString unreadableReason(const QString& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat info {};
    int error = 0;
    char byte = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (S_ISREG(info.st_mode) && ::pread(fd, &byte, 1, 0) < 0)
        error = errno;
    ::close(fd);
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    return S_ISREG(info.st_mode) ? QString() : QStringLiteral("not a regular file");
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
        escaped.append(terminalText(field));
    return escaped.join(u'\t');
}

}  // namespace tunedeck::tags_command
