#include "player_command.h"
#include "write_folder.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // A new store renders its first folder's name; the command never shows a window, so it needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The store Tunedeck beside this command uses.
    const QString defaultStore =
        tunedeck::runningProgramWriteFolder(QCoreApplication::applicationDirPath()).path +
        QStringLiteral("/player");
    return tunedeck::runPlayerCommand(QCoreApplication::arguments().mid(1), defaultStore, out, err);
}
