// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "music_file.h"
#include "tag_record.h"

#include <QString>

namespace tunedeck {

// Reads the INFO texts of a RIFF "RMP3" file into `record`, which is cleared first. True when the file's
// first 12 bytes are "RIFF", a size and "RMP3", even when the file is damaged further on: then the record
// holds what was read before the damage. However large or hostile the file, at most 512 KiB of it is read.
bool readRmp3Tags(const QString& path, TagRecord& record);
bool readRmp3Tags(MusicFile& file, TagRecord& record);

}  // namespace tunedeck
