// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_listing.h"

#include "terminal_text.h"

namespace tunedeck {
namespace {

QString memoryLabel(PlayerMemory memory) {
    return memory == PlayerMemory::Internal ? QStringLiteral("memory 0 (internal)")
                                            : QStringLiteral("memory 1 (card)");
}

}  // namespace

void printMemory(QTextStream& out, PlayerMemory memory, const MemoryListing& listing) {
    out << memoryLabel(memory) << ": " << listing.used << " bytes used, " << listing.free << " bytes free\n";
    for (size_t f = 0; f < listing.folders.size(); ++f) {
        const ListedFolder& folder = listing.folders[f];
        out << "  folder " << f << ": " << terminalText(folder.name) << '\n';
        for (size_t s = 0; s < folder.songs.size(); ++s)
            out << "    song " << s << ": " << terminalText(folder.songs[s].name) << " ("
                << folder.songs[s].size << " bytes)\n";
    }
}

void printUnlistedMemory(QTextStream& out, PlayerMemory memory, const QString& why) {
    out << memoryLabel(memory) << ": " << terminalText(why) << '\n';
}

}  // namespace tunedeck
