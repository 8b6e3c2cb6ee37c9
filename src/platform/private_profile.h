// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The private-profile (INI) format on raw bytes: "[section]" headers, "key=value" lines, ";" comments.
// Section and key names compare without regard to case; everything else is kept byte for byte.
namespace tunedeck::profile {

// The value of the first `key` in the first `section`, blanks around it removed, then one pair of matching
// single or double quotes around it; nullopt when either is absent.
std::optional<QByteArray> findValue(QByteArrayView content, QByteArrayView section, QByteArrayView key);

// `content` with `key` set to `value`: the key's line is rewritten in place, a missing key is added at the
// end of its section and a missing section at the end of the file. Every other line stays as it was.
QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

// The integer reader: leading blanks, an optional sign and the leading decimal digits; the rest is ignored.
// Values beyond 32 bits saturate.
int parseInt(QByteArrayView text);

}  // namespace tunedeck::profile
