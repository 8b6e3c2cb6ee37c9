#pragma once

#include "tag_record.h"

#include <ostream>

namespace tunedeck {

// Failed comparisons of tag records show their texts.
inline void PrintTo(const TagRecord& r, std::ostream* out) {
    *out << "{artist \"" << r.artist.toStdString() << "\", title \"" << r.title.toStdString()
         << "\", album \"" << r.album.toStdString() << "\", release \"" << r.release.toStdString()
         << "\", comment \"" << r.comment.toStdString() << "\", " << r.minutes << ":" << r.seconds << "}";
}

}  // namespace tunedeck
