#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tunedeck {

// The tunedeck-player command line, `arguments` without the program name: inspects and controls the player
// on the store given by --store, or `defaultStore`. It takes the store's lock like the device does. Writes
// results to `out` and messages to `err`; returns the exit status (0 done, 1 refused by the store, 2 bad
// arguments).
int runPlayerCommand(const QStringList& arguments, const QString& defaultStore, QTextStream& out,
                     QTextStream& err);

}  // namespace tunedeck
