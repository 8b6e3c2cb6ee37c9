// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_holders.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <algorithm>

namespace tunedeck {

QString usbNode(int bus, int address) {
    return QStringLiteral("/dev/bus/usb/%1/%2")
        .arg(bus, 3, 10, QLatin1Char('0'))
        .arg(address, 3, 10, QLatin1Char('0'));
}

QStringList programsHolding(const QString& node) {
    const QString self = QString::number(::getpid());
    QStringList programs;
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (process == self || process.toInt() == 0)
            continue;
        const QString fds = QStringLiteral("/proc/") + process + QStringLiteral("/fd");
        for (const QString& fd : QDir(fds).entryList(QDir::System))
            if (QFile::symLinkTarget(fds + QLatin1Char('/') + fd) == node) {
                QFile comm(QStringLiteral("/proc/") + process + QStringLiteral("/comm"));
                comm.open(QIODevice::ReadOnly);
                programs << QString::fromUtf8(comm.readAll()).trimmed() + QStringLiteral(" (PID ") + process +
                                QLatin1Char(')');
                break;
            }
    }
    return programs;
}

bool gnomeMtpHolds(const QStringList& holders) {
    return std::any_of(holders.begin(), holders.end(), [](const QString& holder) {
        return holder.startsWith(QLatin1String("gvfsd-mtp (PID "));
    });
}

}  // namespace tunedeck
