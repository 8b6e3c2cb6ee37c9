// SPDX-License-Identifier: GPL-3.0-or-later

// The title formatter with any format and record: no crash, and a format without "%" comes back unchanged.
#include "cp932.h"
#include "title_format.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace tunedeck;

namespace {

QString cp932Text(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString(64);
    return cp932::decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    TagRecord record{.minutes = input.ConsumeIntegral<qint32>(), .seconds = input.ConsumeIntegral<qint32>()};
    for (QString* field : {&record.artist, &record.title, &record.album, &record.release, &record.comment})
        *field = cp932Text(input);
    const QString path = cp932Text(input);
    // The format as raw UTF-16, so that lone and paired surrogates come along.
    const std::string formatBytes = input.ConsumeRemainingBytesAsString();
    const QString format = QString::fromUtf16(reinterpret_cast<const char16_t*>(formatBytes.data()),
                                              qsizetype(formatBytes.size() / 2));

    const QString title = formatDisplayTitle(format, path, record);
    if (!format.contains(u'%') && title != format)
        __builtin_trap();
    return 0;
}
