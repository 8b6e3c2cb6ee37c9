#pragma once

#include <QString>

namespace tunedeck {

// The value of a fixed-length tag field, after decoding: everything before the first NUL as it stands, or,
// when there is no NUL, the whole text without its leading and trailing spaces (code 32 only).
QString cutTagText(QString decoded);

}  // namespace tunedeck
