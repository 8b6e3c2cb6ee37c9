#include "desktop_shell.h"
#include "frmTunedeck.h"
#include "program_location.h"
#include "prompts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    // Message boxes answer with はい / いいえ / OK, as the rest of the window speaks Japanese.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtJapanese);

    const tunedeck::ProgramLocation location = tunedeck::runningProgramLocation();
    tunedeck::DialogPrompts prompts;
    tunedeck::DesktopShell shell;
    tunedeck::Environment environment{
        .programFolder = location.folder,
        .exeBaseName = location.exeBaseName,
        .createDevice =
            [folder = location.folder](const QString& progId) {
                return tunedeck::createDevice(progId, folder + QStringLiteral("/components"),
                                              folder + QStringLiteral("/player"));
            },
        .prompts = &prompts,
        .shell = &shell,
    };

    tunedeck::frmTunedeck window(environment);
    window.Form_Load();
    return app.exec();
}
