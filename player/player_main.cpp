#include "player_command.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // A new store renders its first folder's name; the command never shows a window, so it needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString defaultStore = QCoreApplication::applicationDirPath() + QStringLiteral("/player");
    return tunedeck::runPlayerCommand(QCoreApplication::arguments().mid(1), defaultStore, out, err);
}
