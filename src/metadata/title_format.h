// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tag_record.h"

#include <QString>
#include <QStringView>

namespace tunedeck {

// The display format filled in for one file. Placeholders are "%" and one character, letters in either case:
// %1 artist, %2 title, %3 album, %4 release, %5 comment, %A playing time (m:ss, no minutes when 0),
// %B file name, %% a "%". Any other character after "%", and a final "%", give nothing.
QString formatDisplayTitle(QStringView format, const QString& path, const TagRecord& record);

// The part of `path` after its last folder separator, extension included, as a person reads it (nameText);
// the whole path when it has none.
QString fileNameOf(const QString& path);

}  // namespace tunedeck
