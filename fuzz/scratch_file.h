// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>

// A file of the fuzz process's own, rewritten with each input and removed at exit.
namespace tunedeck::fuzz {

inline const QString& scratchPath() {
    static const QString path = [] {
        const QString p = QDir::tempPath() + QStringLiteral("/tunedeck-fuzz-%1").arg(::getpid());
        std::atexit([] { QFile::remove(scratchPath()); });
        return p;
    }();
    return path;
}

inline void writeScratch(const QString& path, const uint8_t* data, size_t size) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size))
        std::abort();
    ::close(fd);
}

}  // namespace tunedeck::fuzz
