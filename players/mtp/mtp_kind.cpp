// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_kind.h"

namespace tunedeck {

PlayerEntry mtpPlayerEntry(const MtpDevice& device) {
    QStringList name{device.vendor, device.model};
    name.removeAll(QString());
    return {.id = device.id, .variety = QStringLiteral("mtp"), .name = name.join(QLatin1Char(' '))};
}

PlayerKind mtpKind() {
    return {.progId = kMtpProgId,
            .plugin = QStringLiteral("Mtp"),
            .idPrefix = kMtpIdPrefix,
            .find =
                [] {
                    std::vector<PlayerEntry> entries;
                    for (const MtpDevice& device : mtpDevices())
                        entries.push_back(mtpPlayerEntry(device));
                    return entries;
                },
            .absent =
                [](const QString& id, const QString& name) {
                    return PlayerEntry{.id = id, .variety = QStringLiteral("mtp"), .name = name};
                }};
}

}  // namespace tunedeck
