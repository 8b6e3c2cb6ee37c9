#include "dropped_files.h"

namespace tunedeck {

QStringList localFiles(const QList<QUrl>& urls) {
    QStringList files;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

QList<QUrl> fileUrls(const QStringList& files) {
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    return urls;
}

}  // namespace tunedeck
