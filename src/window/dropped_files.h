// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace tunedeck {

// The local files among the URLs of a drop, in the drop's order and exactly as given; anything that is not
// a local file is left out.
QStringList localFiles(const QList<QUrl>& urls);

// The URLs that carry local `files` in a drag, in their order; localFiles gives the paths back as they were.
QList<QUrl> fileUrls(const QStringList& files);

}  // namespace tunedeck
