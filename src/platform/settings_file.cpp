// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "cp932.h"
#include "private_profile.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

#include <sys/stat.h>

namespace tunedeck {
namespace {

// The longest value the program reads: a 1024-byte buffer with its terminating NUL.
constexpr qsizetype kMaxValueBytes = 1023;

// The file's bytes; empty when there is no file, nullopt when there is one that cannot be read.
std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? std::nullopt : std::optional<QByteArray>(QByteArray());
    return file.readAll();
}

// A file that is also reached by another name: a hard link, perhaps from a synced folder.
bool hasOtherNames(const QString& path) {
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 && s.st_nlink > 1;
}

// Rewrites the file itself, as editors do with such a file: a new file put in its place would split it off
// from its other names, which would keep the old settings and never see the program's again. A write cut
// short (a full disk) puts the old bytes back, into the room they had.
bool writeInPlace(const QString& path, const QByteArray& content, const QByteArray& old) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    if (file.write(content) == content.size() && file.resize(content.size()))
        return true;
    file.seek(0);
    file.write(old);
    file.resize(old.size());
    return false;
}

// The value's bytes, read anew every time: the file may be changed by another program, or reached through a
// link whose target changes. Nothing when the file, the section or the key is missing, or the file cannot be
// read.
std::optional<QByteArray> valueOf(const QString& path, const QString& section, const QString& key) {
    const auto content = readFile(path);
    if (!content)
        return std::nullopt;
    return profile::findValue(*content, cp932::encode(section), cp932::encode(key));
}

}  // namespace

SettingsFile::SettingsFile(QString programFolder, QString exeBaseName)
    : programFolder_(std::move(programFolder)), section_(std::move(exeBaseName)) {}

QString SettingsFile::path() const {
    return programFolder_ + QLatin1Char('/') + section_ + QStringLiteral(".INI");
}

int SettingsFile::readInt(const QString& key, int defaultValue) const {
    const auto value = valueOf(path(), section_, key);
    return value && !value->isEmpty() ? profile::parseInt(*value) : defaultValue;
}

QString SettingsFile::readString(const QString& key, const QString& defaultValue) const {
    const auto value = valueOf(path(), section_, key);
    return value ? cp932::decode(cp932::prefixAtCharacterBoundary(*value, kMaxValueBytes)) : defaultValue;
}

bool SettingsFile::write(const QString& key, const QString& value) const {
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return false;
    const QString target = path();
    const auto old = readFile(target);
    if (!old)
        return false;  // rewriting a file we cannot read would lose its other lines
    const QByteArray content =
        profile::withValue(*old, cp932::encode(section_), cp932::encode(key), cp932::encode(value));
    if (hasOtherNames(target))
        return writeInPlace(target, content, *old);
    // Unbuffered, so that a disk that stops taking bytes fails the write here: a buffered one fails only
    // inside commit(), which ignores it and puts the short file in place.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tunedeck
