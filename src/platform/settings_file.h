// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// The program's settings file: <program folder>/<executable base name>.INI with one section named after the
// executable. Texts are code page 932 on disk. Every read sees the file as it is at that moment, also where
// the name is a symbolic or hard link to a file kept elsewhere.
class SettingsFile {
  public:
    SettingsFile(QString programFolder, QString exeBaseName);

    QString path() const;
    const QString& section() const { return section_; }

    // A missing file, section or key gives the default, and so does an empty value.
    int readInt(const QString& key, int defaultValue) const;

    // A value longer than 1023 bytes comes back cut at the last whole character within them; an empty value
    // is an empty text, not the default.
    QString readString(const QString& key, const QString& defaultValue) const;

    // Creates the file, section or key as needed and keeps the rest of the file. Writes the whole file anew
    // through a temporary file, so a failed write leaves the old file whole; a file with other names (hard
    // links) is rewritten in place instead, so that every name keeps showing it. False when the file cannot
    // be written, or when the value holds a line break, which would break the file apart.
    bool write(const QString& key, const QString& value) const;
    bool write(const QString& key, int value) const { return write(key, QString::number(value)); }

  private:
    QString programFolder_;
    QString section_;
};

}  // namespace tunedeck
