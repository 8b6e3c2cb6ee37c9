#include "dropped_files.h"

namespace tunedeck {

QStringList localFiles(const QList<QUrl>& urls) {
    QStringList files;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

}  // namespace tunedeck
