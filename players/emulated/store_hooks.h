// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tunedeck {

// The moments at which a crash leaves the most for the next open to sort out.
enum class CrashPoint {
    SongData,      // a song's bytes are in data/ and nothing names them yet
    JournalLine,   // a journal names the song and its catalogue is due to be written again
    NewCatalogue,  // a catalogue of a new generation is in place and the journal it replaces is still there
};

struct StoreHooks {
    // Tests end the process here to play a crash.
    std::function<void(CrashPoint)> reached;
};

}  // namespace tunedeck
