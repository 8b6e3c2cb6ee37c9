// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display_title.h"
#include "tag_record.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// tunedeck-tags [--format FMT] FILE...: one tab-separated line per file with its tags and display title.
namespace tunedeck::tags_command {

extern const char kUsage[];

struct Arguments {
    enum class Request { Tags, Help, Version };
    Request request = Request::Tags;
    std::optional<QString> format;  // none: the DisplayFormat of the settings file
    QStringList files;
};

// The arguments after the program name, or a message saying what is wrong with them.
std::variant<Arguments, QString> parseArguments(const QStringList& arguments);

// Why the file cannot be read as a song (missing, a folder, not a regular file, a read error), or an empty
// text when it can. A pipe or terminal does not hold it up.
QString unreadableReason(const QString& path);

// The path as given, the kind ("RMP3", "ID3v1" or "-"), the five texts and the display title, each escaped
// for the terminal (terminalText), without the line end.
QString tagsLine(const QString& path, TagKind kind, const TagRecord& record, const QString& displayTitle);

}  // namespace tunedeck::tags_command
