// SPDX-License-Identifier: GPL-3.0-or-later

// The settings-file reader and writer on any file content: no crash, and a value written with plain names
// reads back unchanged.
#include "cp932.h"
#include "private_profile.h"
#include "scratch_file.h"
#include "settings_file.h"

#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

using namespace tunedeck;

namespace {

bool isPlain(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(uchar(c)); });
}

QByteArrayView view(const std::string& text) {
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(32);
    const std::string content = input.ConsumeRemainingBytesAsString();

    profile::findValue(view(content), view(section), view(key));
    profile::parseInt(view(content));
    const QByteArray written = profile::withValue(view(content), view(section), view(key), view(value));
    const bool plain = isPlain(key) && isPlain(value);
    if (plain && isPlain(section) &&
        profile::findValue(written, view(section), view(key)) != view(value).toByteArray())
        __builtin_trap();

    // The same through the settings file of a program called "tunedeck".
    static const QTemporaryDir folder;
    const SettingsFile settings(folder.path(), QStringLiteral("tunedeck"));
    fuzz::writeScratch(settings.path(), reinterpret_cast<const uint8_t*>(content.data()), content.size());
    const QString decodedKey = cp932::decode(view(key));
    settings.readString(decodedKey, QStringLiteral("default"));
    settings.readInt(decodedKey, 0);
    const QString decodedValue = cp932::decode(view(value));
    if (plain &&
        (!settings.write(decodedKey, decodedValue) || settings.readString(decodedKey, {}) != decodedValue))
        __builtin_trap();
    return 0;
}
