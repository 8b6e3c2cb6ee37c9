// SPDX-License-Identifier: GPL-3.0-or-later
#include "dropped_files.h"

#include "local_path.h"

namespace tunedeck {

// A file manager writes a name that is not UTF-8 as its bytes, percent-encoded; QUrl::toLocalFile would
// turn them into U+FFFD.
QStringList localFiles(const QList<QUrl>& urls) {
    QStringList files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        if (!url.host().isEmpty())  // a share named by the URL: no bytes of its own to keep
            files.append(url.toLocalFile());
        else
            files.append(
                pathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    }
    return files;
}

QList<QUrl> fileUrls(const QStringList& files) {
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromEncoded("file://" + pathBytes(file).toPercentEncoding("/"), QUrl::StrictMode));
    return urls;
}

}  // namespace tunedeck
