#include "settings_file.h"

#include "cp932.h"
#include "private_profile.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

namespace tunedeck {
namespace {

// The longest value the program reads: a 1024-byte buffer with its terminating NUL.
constexpr qsizetype kMaxValueBytes = 1023;

// The file's bytes; empty when there is no file, nullopt when there is one that cannot be read.
std::optional<QByteArray> readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? std::nullopt : std::optional<QByteArray>(QByteArray());
    return file.readAll();
}

std::optional<QByteArray> rawValue(const SettingsFile& settings, const QString& key) {
    const auto content = readAll(settings.path());
    if (!content)
        return std::nullopt;
    return profile::findValue(*content, cp932::encode(settings.section()), cp932::encode(key));
}

}  // namespace

SettingsFile::SettingsFile(QString programFolder, QString exeBaseName)
    : programFolder_(std::move(programFolder)), section_(std::move(exeBaseName)) {}

QString SettingsFile::path() const {
    return programFolder_ + '/' + section_ + ".INI";
}

int SettingsFile::readInt(const QString& key, int defaultValue) const {
    const auto value = rawValue(*this, key);
    return value ? profile::parseInt(*value) : defaultValue;
}

QString SettingsFile::readString(const QString& key, const QString& defaultValue) const {
    const auto value = rawValue(*this, key);
    if (!value)
        return defaultValue;
    return cp932::decode(cp932::prefixAtCharacterBoundary(*value, kMaxValueBytes));
}

bool SettingsFile::write(const QString& key, const QString& value) const {
    if (value.contains('\n') || value.contains('\r'))
        return false;
    const QString target = path();
    const auto old = readAll(target);
    if (!old)
        return false;  // rewriting a file we cannot read would lose its other lines
    const QByteArray content =
        profile::withValue(*old, cp932::encode(section_), cp932::encode(key), cp932::encode(value));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tunedeck
