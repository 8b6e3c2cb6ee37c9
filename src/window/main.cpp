// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_shell.h"
#include "frmTunedeck.h"
#include "japanese_translation.h"
#include "program_location.h"
#include "program_version.h"
#include "prompts.h"
#include "system_players.h"
#include "terminal_text.h"
#include "termination.h"
#include "write_folder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

constexpr int kBadArguments = 2;

const char kUsage[] =
    "usage: tunedeck [--help | --version]\n"
    "Manages the songs and folders of a Rio500 player; takes no other arguments.\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n";

// The exit status when the arguments ask for something other than the window. Read before the application
// object exists, so --help and --version answer without a display.
std::optional<int> answerArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument '%1'.")
                    .arg(tunedeck::terminalText(parser.positionalArguments().first()));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "tunedeck: %s\n%s", qUtf8Printable(error), kUsage);
        return kBadArguments;
    }
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("tunedeck %s\n", tunedeck::program_version::kFull);
        return 0;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerArguments(argc, argv))
        return *status;

    tunedeck::catchTermination();
    QApplication app(argc, argv);

    QTranslator qtJapanese;
    tunedeck::installJapaneseTranslation(qtJapanese);

    const tunedeck::ProgramLocation location = tunedeck::runningProgramLocation();
    const tunedeck::WriteFolder writeFolder = tunedeck::runningProgramWriteFolder(location.folder);
    tunedeck::DialogPrompts prompts;
    tunedeck::DesktopShell shell;
    const tunedeck::PlayerKinds kinds = tunedeck::builtInKinds();
    tunedeck::SystemPlayers players(kinds);
    tunedeck::Environment environment{
        .programFolder = writeFolder.path,
        .programFolderProblem = writeFolder.problem,
        .exeBaseName = location.exeBaseName,
        // The components lie beside the executable; the emulated player's store goes where the program
        // writes.
        .createDevice =
            [components = location.folder + QStringLiteral("/components"),
             store = writeFolder.path + QStringLiteral("/player")](const tunedeck::PlayerEntry& player) {
                return tunedeck::createDevice(*player.kind, components,
                                              player.kind->ownStore ? store : player.id);
            },
        .kinds = kinds,
        .players = &players,
        .prompts = &prompts,
        .shell = &shell,
    };

    tunedeck::frmTunedeck window(environment);
    window.Form_Load();
    tunedeck::quitOnTermination(app, [&window] { window.stopPlayerWork(); });
    const int status = app.exec();
    // Ended from outside: close the window as its close button does, which writes the settings. A run under
    // way has been stopped; the window closes once its end has come in, which quits the loop again.
    if (window.isVisible() && !window.close())
        app.exec();
    return status;
}
