// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "music_file.h"
#include "tag_record.h"

#include <QString>

namespace tunedeck {

// Reads the ID3v1 tag in the last 128 bytes of a file into `record`, which is cleared first. True when the
// tag's "TAG" marker is there. A file shorter than 128 bytes is read from its start, and gives the fields
// whose bytes lie wholly within it.
bool readId3v1Tags(const QString& path, TagRecord& record);
bool readId3v1Tags(MusicFile& file, TagRecord& record);

}  // namespace tunedeck
