#include "desktop_shell.h"
#include "frmTunedeck.h"
#include "japanese_translation.h"
#include "program_location.h"
#include "prompts.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    QTranslator qtJapanese;
    tunedeck::installJapaneseTranslation(qtJapanese);

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
