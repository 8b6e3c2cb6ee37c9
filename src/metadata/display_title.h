// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display_settings.h"
#include "tag_record.h"

#include <QString>
#include <QStringView>

namespace tunedeck {

class MusicFile;

// Which reader found the file's tags.
enum class TagKind { None, Rmp3, Id3v1 };

// The RMP3 reader, then, for a file that is not one, the ID3v1 reader, both on one open file. `record` is
// cleared when neither finds a tag.
TagKind readTags(const QString& path, TagRecord& record);
TagKind readTags(MusicFile& file, TagRecord& record);

// The text the player shows for the song file `path` whose tags were read (`kind`, `record`): `format`
// filled in from them, or the file name when it has none.
QString displayTitleOf(TagKind kind, const QString& path, const TagRecord& record, QStringView format);

// The same, the tags read from the file.
QString displayTitleFor(const QString& path, TagRecord& record, QStringView format);
// The same on the file `path` opened already, which the caller may ask more of.
QString displayTitleFor(MusicFile& file, const QString& path, TagRecord& record, QStringView format);

// The same with the display format read from the settings file for this title, so that a change made since
// the last title takes effect at once: for the titles of a send, between which the window takes input.
QString displayTitleFor(const QString& path, TagRecord& record, const SettingsFile& settings);

}  // namespace tunedeck
