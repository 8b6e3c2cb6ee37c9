// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <ostream>

// Lets GoogleTest show Qt texts as text in its failure messages, and bytes as escaped text, at most the first
// 200 of them: a song's or a bitmap's bytes would flood the log.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes.size() << " bytes \"";
    for (const char c : bytes.first(std::min<qsizetype>(bytes.size(), 200))) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, c >= ' ' && c < 127 ? "%c" : "\\x%02x", c & 0xFF);
        *out << escaped;
    }
    *out << (bytes.size() > 200 ? "\"…" : "\"");
}
