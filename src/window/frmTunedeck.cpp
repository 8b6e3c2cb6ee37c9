// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include "dropped_files.h"
#include "input_state.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>

#include <tuple>

namespace tunedeck {
namespace {

// Design positions and sizes, in twips.
constexpr int kDesignClientWidth = 9240;
constexpr int kDesignClientHeight = 5910;
struct Design {
    int left, top, width, height;
};
constexpr Design kDrvList{0, 0, 3135, 300};
constexpr Design kDirlst{0, 300, 3135, 1980};
constexpr Design kLvwFile{3180, 0, 6015, 2415};
constexpr Design kPicSep{0, 2400, kDesignClientWidth, 75};
constexpr Design kFraSong{0, 2520, 8355, 3015};
constexpr Design kOptRam0{120, 0, 675, 195};
constexpr Design kOptRam1{900, 0, 1215, 195};
constexpr Design kCmbFolder{2820, 0, 2415, 300};
constexpr Design kLblFileTotalSize{5880, 60, 2415, 195};
constexpr Design kLvwSong{0, 300, 9195, 2895};
constexpr Design kStbRioInfo{0, kDesignClientHeight - 255, kDesignClientWidth, 255};

}  // namespace

frmTunedeck::frmTunedeck(Environment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)), twips_(Twips::ofScreen()) {
    setWindowTitle(QStringLiteral("Tunedeck"));
    // The controls' design sizes were made for 9-point text.
    QFont designFont = font();
    designFont.setPointSize(9);
    setFont(designFont);
    createControls();
    createMenus();
    // Named as the player a new settings file chooses until the settings are read.
    setPlayer(environment_.kinds.absent(QString(), QString()));
    playerPane_ =
        std::make_unique<BusyWindow>(this, fraSong,
                                     QList<QAction*>{menuSend, menuMkDir, menuRmDir, menuFormat, menuSync,
                                                     menuFolSync, menuDel, menuDown, menuRefSong});
    connectHandlers();
}

frmTunedeck::~frmTunedeck() = default;

void frmTunedeck::createControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    const auto name = [](QWidget* control, const char* objectName) {
        control->setObjectName(QString::fromLatin1(objectName));
        return control;
    };
    drvList = new DriveList(client_);
    dirlst = new FolderTree(client_);
    lvwFile = new ListView(client_);
    picSep = new SplitterBar(client_);
    fraSong = new QWidget(client_);
    optRam = {new QRadioButton(memoryNameOf(PlayerMemory::Internal), fraSong),
              new QRadioButton(QStringLiteral("SmartMedia"), fraSong)};
    cmbFolder = new QComboBox(fraSong);
    lblFileTotalSize = new QLabel(fraSong);
    lvwSong = new ListView(fraSong);
    stbRioInfo = new StatusBar(client_);

    const std::pair<QWidget*, Design> placed[] = {
        {name(drvList, "drvList"), kDrvList},
        {name(dirlst, "dirlst"), kDirlst},
        {name(lvwFile, "lvwFile"), kLvwFile},
        {name(picSep, "picSep"), kPicSep},
        {name(fraSong, "fraSong"), kFraSong},
        {name(optRam[0], "optRam(0)"), kOptRam0},
        {name(optRam[1], "optRam(1)"), kOptRam1},
        {name(cmbFolder, "cmbFolder"), kCmbFolder},
        {name(lblFileTotalSize, "lblFileTotalSize"), kLblFileTotalSize},
        {name(lvwSong, "lvwSong"), kLvwSong},
        {name(stbRioInfo, "stbRioInfo"), kStbRioInfo},
    };
    for (const auto& [control, d] : placed)
        placeInTwips(control, d.left, d.top, d.width, d.height);
    splitterTop_ = kPicSep.top;
    layoutSizes_ = {.frameWidth = kFraSong.width,
                    .frameTop = kFraSong.top,
                    .frameHeight = kFraSong.height,
                    .fileListHeight = kLvwFile.height,
                    .folderTreeHeight = kDirlst.height,
                    .fileListWidth = kLvwFile.width,
                    .songListWidth = kLvwSong.width,
                    .songListHeight = kLvwSong.height,
                    .splitterWidth = kPicSep.width};

    lvwSong->setAcceptDrops(true);
    // A left drag on the song list exchanges two songs; it does not select.
    lvwSong->setDragSelects(false);
    optRam[0]->setChecked(true);
    optRam[1]->setEnabled(false);
    // A caption wider than its design width takes the room up to the folder combo box rather than being cut.
    for (QRadioButton* option : optRam)
        option->resize(std::max(option->width(), option->sizeHint().width()), option->height());
    for (QRadioButton* option : optRam)
        option->setFocusPolicy(Qt::StrongFocus);

    // The size label changes with the selection: its name carries its text.
    lblFileTotalSize->setAccessibleDescription(QStringLiteral("選択したファイルのサイズ"));
    nameAfterText(lblFileTotalSize, lblFileTotalSize->text());

    // The order in which Tab moves through the controls.
    QWidget* const order[] = {drvList, dirlst,     lvwFile, optRam[0], optRam[1],       cmbFolder,
                              lvwSong, stbRioInfo, picSep,  fraSong,   lblFileTotalSize};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    const QSize client = twips_.toPixels(0, 0, kDesignClientWidth, kDesignClientHeight).size();
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
}

void frmTunedeck::createMenus() {
    const auto item = [this](QMenu* menu, const char* objectName, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(objectName));
        return action;
    };
    const auto separator = [](QMenu* menu, const char* objectName) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(objectName));
        return action;
    };
    const auto popup = [this](const char* objectName, const QString& caption) {
        auto* menu = new QMenu(caption, this);
        menu->setObjectName(QString::fromLatin1(objectName));
        return menu;
    };

    menuFile = popup("menuFile", QStringLiteral("操作(&D)"));
    menuMkDir = item(menuFile, "menuMkDir", {});
    menuRmDir = item(menuFile, "menuRmDir", QStringLiteral("現在のフォルダを削除(&D)"));
    menuFormat = item(menuFile, "menuFormat", QStringLiteral("メモリフォーマット"));
    menuSync = item(menuFile, "menuSync", QStringLiteral("フォルダを同期(&Y)"));
    menuPlayer = popup("menuPlayer", QStringLiteral("プレーヤー(&L)"));
    menuFile->addMenu(menuPlayer);
    menuPlayers = new QActionGroup(menuPlayer);
    menuOrders = new QActionGroup(menuPlayer);
    menuSep2 = separator(menuFile, "menuSep2");
    menuFont = item(menuFile, "menuFont", QStringLiteral("フォント設定(&P)"));
    menuCustom = item(menuFile, "menuCustom", QStringLiteral("文字列のカスタマイズ(&C)"));
    menuSep1 = separator(menuFile, "menuSep1");
    menuEnd = item(menuFile, "menuEnd", QStringLiteral("終了(&X)"));
    menuEnd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));

    menuSongList = popup("menuSongList", QStringLiteral("曲リスト側"));
    menuDel = item(menuSongList, "menuDel", QStringLiteral("削除(&D)"));
    menuDel->setShortcut(QKeySequence(Qt::Key_Delete));
    menuDown = item(menuSongList, "menuDown", QStringLiteral("ダウンロード"));
    menuRefSong = item(menuSongList, "menuRefSong", QStringLiteral("最新の状態に更新(&R)"));
    menuClipCopy = item(menuSongList, "menuClipCopy", QStringLiteral("リストをクリップボードにコピー(&C)"));
    // The song list's commands answer their keys while the song list has the focus, and only then.
    for (QAction* action : menuSongList->actions())
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    lvwSong->addActions(menuSongList->actions());

    menuFileList = popup("menuFileList", QStringLiteral("ファイルリスト側"));
    menuSend = item(menuFileList, "menuSend", {});

    menuFolder = popup("menuFolder", QStringLiteral("フォルダツリー"));
    menuFolRef = item(menuFolder, "menuFolRef", QStringLiteral("最新の状態に更新(&R)"));
    menuFolSync = item(menuFolder, "menuFolSync", QStringLiteral("フォルダを同期(&Y)"));

    menuHelp = popup("menuHelp", QStringLiteral("ヘルプ(&H)"));
    menuAbout = item(menuHelp, "menuAbout", QStringLiteral("バージョン情報(&A)"));

    menuBar()->addMenu(menuFile);
    menuBar()->addMenu(menuHelp);

    cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelKey->setObjectName(QStringLiteral("cancelKey"));
    cancelKey->setEnabled(false);
    swapUpKey =
        new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), lvwSong, nullptr, nullptr, Qt::WidgetShortcut);
    swapDownKey =
        new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), lvwSong, nullptr, nullptr, Qt::WidgetShortcut);
}

void frmTunedeck::setPlayer(PlayerEntry player) {
    player_ = std::move(player);
    // Only a change renames: a new name is announced.
    if (const PlayerWords words = playerWords(player_); words != words_) {
        words_ = words;
        nameControls();
    }
}

// What each control is, for screen readers: name, and what it is for; and the menu items. Each text is the
// emulated player's, said with the chosen player's words.
void frmTunedeck::nameControls() {
    const auto said = [this](const QString& text) { return worded(text, words_); };
    menuMkDir->setText(said(QStringLiteral("Rioにフォルダを作る(&F)")));
    menuSend->setText(said(QStringLiteral("Rioへ転送(&S)")));
    const QString shownMemory = said(QStringLiteral("曲を表示するRioのメモリ"));
    const std::tuple<QWidget*, QString, QString> spoken[] = {
        {drvList, QStringLiteral("コンピューターのドライブ"), QStringLiteral("フォルダを表示するドライブ")},
        {dirlst, QStringLiteral("コンピューターのフォルダ"), QStringLiteral("ファイルを表示するフォルダ")},
        {lvwFile, QStringLiteral("音楽ファイル"),
         said(QStringLiteral("選んだフォルダのファイル。Rioへ転送できます"))},
        {picSep, QStringLiteral("区切り"), QStringLiteral("上下の領域の高さを変えます")},
        {fraSong, said(QStringLiteral("Rioの内容")), said(QStringLiteral("Rioのメモリ、フォルダと曲"))},
        {optRam[0], said(QStringLiteral("Rioの内蔵メモリ")), shownMemory},
        {optRam[1], said(QStringLiteral("RioのSmartMedia")), shownMemory},
        {cmbFolder, said(QStringLiteral("Rioのフォルダ")), said(QStringLiteral("曲を表示するRioのフォルダ"))},
        {lvwSong, said(QStringLiteral("Rioの曲")), said(QStringLiteral("選んだRioのフォルダの曲"))},
        {stbRioInfo, QStringLiteral("ステータスバー"), said(QStringLiteral("Rioの状態とメモリ"))},
    };
    for (const auto& [control, spokenName, description] : spoken) {
        control->setAccessibleName(spokenName);
        control->setAccessibleDescription(description);
    }
    stbRioInfo->namePlayer(words_.name);
}

void frmTunedeck::connectHandlers() {
    connect(menuEnd, &QAction::triggered, this, &frmTunedeck::menuEnd_Click);
    connect(picSep, &SplitterBar::mouseMoved, this, [this](int buttons, int shift, int x, int y) {
        picSep_MouseMove(buttons, shift, twips_.toTwips(x), twips_.toTwips(y));
    });
    for (int i = 0; i < int(optRam.size()); ++i)
        connect(optRam[i], &QRadioButton::clicked, this, [this, i] { optRam_Click(i); });
    // Like the list index set by the program, a choice by the user raises the click; the program sets it only
    // while the player pane is held, which tells them apart where it matters.
    connect(cmbFolder, &QComboBox::currentIndexChanged, this, &frmTunedeck::cmbFolder_Click);
    connect(menuRefSong, &QAction::triggered, this, &frmTunedeck::menuRefSong_Click);
    connect(menuMkDir, &QAction::triggered, this, &frmTunedeck::menuMkDir_Click);
    connect(menuRmDir, &QAction::triggered, this, &frmTunedeck::menuRmDir_Click);
    connect(menuFormat, &QAction::triggered, this, &frmTunedeck::menuFormat_Click);
    for (QAction* sync : {menuSync, menuFolSync})
        connect(sync, &QAction::triggered, this, &frmTunedeck::menuSync_Click);
    connect(menuCustom, &QAction::triggered, this, &frmTunedeck::menuCustom_Click);
    connect(menuFont, &QAction::triggered, this, &frmTunedeck::menuFont_Click);
    connect(menuAbout, &QAction::triggered, this, &frmTunedeck::menuAbout_Click);
    connect(menuClipCopy, &QAction::triggered, this, &frmTunedeck::menuClipCopy_Click);
    connect(lvwSong, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        lvwSong_KeyDown(input::keyCode(key), input::shiftState(modifiers));
    });
    connect(lvwSong, &ListView::mouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                lvwSong_MouseDown(input::buttonState(button), input::shiftState(modifiers), at.x(), at.y());
            });
    connect(lvwSong, &ListView::mouseMove, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint at) {
                lvwSong_MouseMove(input::buttonState(buttons), input::shiftState(modifiers), at.x(), at.y());
            });
    connect(lvwSong, &ListView::mouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                lvwSong_MouseUp(input::buttonState(button), input::shiftState(modifiers), at.x(), at.y());
            });
    // The send runs once the drop has ended, not inside the drag and drop's own event loop.
    connect(
        lvwSong, &ListView::filesDropped, this,
        [this](const QList<QUrl>& urls) { lvwSong_OLEDragDrop(localFiles(urls)); }, Qt::QueuedConnection);
    connect(menuSend, &QAction::triggered, this, &frmTunedeck::menuSend_Click);
    // Files dragged from the file list onto the song list are sent like any dropped files.
    lvwFile->setDragFiles([this] { return fileUrls(selectedFiles()); });
    connect(menuDown, &QAction::triggered, this, &frmTunedeck::menuDown_Click);
    connect(menuDel, &QAction::triggered, this, &frmTunedeck::menuDel_Click);
    // Stopping a run asks the session, which every run of this window goes through.
    const auto cancelRun = [this] { session_->cancel(); };
    connect(cancelKey, &QShortcut::activated, this, cancelRun);
    connect(swapUpKey, &QShortcut::activated, this, [this] { swapCurrentSong(-1); });
    connect(swapDownKey, &QShortcut::activated, this, [this] { swapCurrentSong(1); });
    connect(stbRioInfo, &StatusBar::cancelClicked, this, cancelRun);

    connect(drvList, &DriveList::changed, this, &frmTunedeck::drvList_Change);
    connect(menuFolRef, &QAction::triggered, this, &frmTunedeck::menuFolRef_Click);
    connect(dirlst, &FolderTree::changed, this, &frmTunedeck::dirlst_Change);
    dirlst->installEventFilter(this);
    dirlst->viewport()->installEventFilter(this);
    connect(lvwFile, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        lvwFile_KeyDown(input::keyCode(key), input::shiftState(modifiers));
    });
    connect(lvwFile, &ListView::mouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                lvwFile_MouseUp(input::buttonState(button), input::shiftState(modifiers),
                                twips_.toTwips(at.x()), twips_.toTwips(at.y()));
            });
    // However the selection changes: a click, the keys, Ctrl+A. A fill clears it unsignalled and shows the
    // total itself.
    connect(lvwFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmTunedeck::showSelectedTotal);
    connect(lvwFile, &ListView::doubleClick, this, &frmTunedeck::lvwFile_DblClick);
    connect(lvwFile->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvwFile_ColumnClick(section + 1); });

    // The pop-up menus the right button opens also open from the keyboard (the folder tree's: eventFilter).
    connect(lvwSong, &ListView::popupMenuKey, this,
            [this] { menuSongList->popup(popupMenuPosition(*lvwSong)); });
    connect(lvwFile, &ListView::popupMenuKey, this,
            [this] { menuFileList->popup(popupMenuPosition(*lvwFile)); });
}

bool frmTunedeck::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        Form_Resize();
    if (watched == dirlst && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (input::opensPopupMenu(key->key(), key->modifiers())) {
            menuFolder->popup(popupMenuPosition(*dirlst));
            return true;
        }
        const QString typed = key->text();
        if (!typed.isEmpty())
            dirlst_KeyPress(typed.front().unicode());
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == dirlst->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        dirlst_MouseUp(input::buttonState(mouse->button()), input::shiftState(mouse->modifiers()),
                       twips_.toTwips(at.x()), twips_.toTwips(at.y()));
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmTunedeck::closeEvent(QCloseEvent* event) {
    // While a command works on the player the window takes events; a close request then stops the work under
    // way, which ends at the next song or sooner, and the window closes once the command has shown its end.
    if (isRunning()) {
        event->ignore();
        stopPlayerWork();
        playerPane_->whenGivenBack([this] { close(); });
        return;
    }
    Form_Unload();
    event->accept();
}

int frmTunedeck::heightInTwips(const QWidget* control) const {
    return twips_.toTwips(control->height());
}

void frmTunedeck::placeInTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twips_.toPixels(left, top, width, height));
}

// Painted at once, for the work that follows on this thread (a folder's files read), without taking events:
// a handler of the window never runs inside another.
void frmTunedeck::setStatus(const QString& text) {
    stbRioInfo->setPanelText(1, text);
    stbRioInfo->repaint();
}

}  // namespace tunedeck
