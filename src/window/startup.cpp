// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include "display_settings.h"
#include "player_settings.h"
#include "window_geometry.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>

namespace tunedeck {
namespace {

QRect inTwips(const QRect& pixels, const Twips& twips) {
    return {twips.toTwips(pixels.x()), twips.toTwips(pixels.y()), twips.toTwips(pixels.width()),
            twips.toTwips(pixels.height())};
}

QList<QRect> screensInTwips(const Twips& twips) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(inTwips(screen->geometry(), twips));
    return screens;
}

// The tallest area a maximised window can fill, in twips.
int tallestAvailableHeight(const Twips& twips) {
    int tallest = 0;
    for (const QScreen* screen : QGuiApplication::screens())
        tallest = std::max(tallest, inTwips(screen->availableGeometry(), twips).height());
    return tallest;
}

Qt::WindowState windowStateOf(int state) {
    switch (state) {
        case 1:
            return Qt::WindowMinimized;
        case 2:
            return Qt::WindowMaximized;
        default:
            return Qt::WindowNoState;
    }
}

}  // namespace

void frmTunedeck::Form_Load() {
    // Shown, the window takes events before the player is read: a close request meanwhile waits for the
    // start, as one during a run waits for the run.
    const BusyWindow::Hold starting = holdPlayerPane(BusyWindow::Pointer::Keep);
    settingsSection_ = environment_.exeBaseName;
    const SettingsFile file = settings();

    const StoredGeometry defaults;
    const StoredGeometry stored{.left = file.readInt(QStringLiteral("WindowLeft"), defaults.left),
                                .top = file.readInt(QStringLiteral("WindowTop"), defaults.top),
                                .width = file.readInt(QStringLiteral("WindowWidth"), defaults.width),
                                .height = file.readInt(QStringLiteral("WindowHeight"), defaults.height),
                                .state = file.readInt(QStringLiteral("WindowState"), defaults.state)};
    const StoredGeometry geometry = usableGeometry(stored, screensInTwips(twips_), twips_.toTwips(1));
    move(twips_.toPixels(geometry.left), twips_.toPixels(geometry.top));
    resize(twips_.toPixels(geometry.width), twips_.toPixels(geometry.height));

    // A window that opens maximised lays itself out in the screen's height, not in its normal one.
    const int windowHeight =
        geometry.state == 2 ? std::max(geometry.height, tallestAvailableHeight(twips_)) : geometry.height;
    const int clientHeight = windowHeight - twips_.toTwips(menuBar()->sizeHint().height());
    splitterTop_ = layout::boundedSplitterTop(file.readInt(QStringLiteral("Separate"), 2000), clientHeight);
    setWindowState(windowStateOf(geometry.state));

    setColumns();

    const DisplayFontSetting font = readDisplayFont(file);
    displayFontName_ = font.name;
    displayFontSize_ = font.pointSize;

    show();
    drvList->setFocus();  // the first control in the tab order, as a new window gives it
    QCoreApplication::processEvents();

    drvList_Change();

    if (environment_.players) {
        foundPlayers_ = environment_.players->players();
        connect(environment_.players, &PlayerDirectory::changed, this, &frmTunedeck::playersChanged);
    }
    setPlayer(playerEntry(file.readString(player_settings::kPlayer, QString())));
    connectPlayer(true);
    // Said last, over the player's texts once the reading has ended: a folder the program cannot write also
    // keeps the player from starting, and this is why.
    if (!environment_.programFolderProblem.isEmpty())
        playerPane_->whenGivenBack([this] { setStatus(environment_.programFolderProblem); });
}

void frmTunedeck::setColumns() {
    lvwFile->setColumns({{QStringLiteral("ファイル名"), 2000},
                         {QStringLiteral("アーティスト"), 2000},
                         {QStringLiteral("タイトル"), 3000},
                         {QStringLiteral("ファイルサイズ"), 1200, Qt::AlignRight}},
                        twips_);
    lvwSong->setColumns({{QStringLiteral("曲名"), 4000},
                         {QStringLiteral("フォルダ名"), 1000},
                         {QStringLiteral("ファイルサイズ"), 1200, Qt::AlignRight},
                         {QStringLiteral("場所"), 300, Qt::AlignHCenter}},
                        twips_);
}

}  // namespace tunedeck
