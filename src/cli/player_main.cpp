// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_path.h"
#include "player_command.h"
#include "system_players.h"
#include "write_folder.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

#include <unistd.h>

int main(int argc, char* argv[]) {
    // A new store renders its first folder's name; the command never shows a window, so it needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const tunedeck::PlayerKinds kinds = tunedeck::builtInKinds();
    tunedeck::SystemPlayers players(kinds);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The store and the settings of Tunedeck beside this command.
    const QString programFolder =
        tunedeck::runningProgramWriteFolder(QCoreApplication::applicationDirPath()).path;
    // From argv itself: QCoreApplication::arguments() would lose a file name that is not UTF-8.
    return tunedeck::runPlayerCommand(
        tunedeck::commandArguments(argc, argv),
        {.defaultStore = programFolder + QStringLiteral("/player"),
         .programFolder = programFolder,
         .componentsFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/components"),
         .kinds = kinds,
         .players = &players,
         .terminal = ::isatty(STDERR_FILENO) == 1},
        out, err);
}
