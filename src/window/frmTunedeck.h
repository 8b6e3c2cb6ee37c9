// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "busy_window.h"
#include "device_component.h"
#include "drive_list.h"
#include "environment.h"
#include "folder_tree.h"
#include "layout.h"
#include "list_view.h"
#include "player_directory.h"
#include "player_memory.h"
#include "player_session.h"
#include "player_words.h"
#include "settings_file.h"
#include "splitter_bar.h"
#include "status_bar.h"
#include "twips.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QShortcut>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace tunedeck {

// The program's one window. It owns every control and all state; its member functions are defined here and
// in commands/, a file for each menu command and each control's key and mouse dispatch.
class frmTunedeck : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmTunedeck(Environment environment, QWidget* parent = nullptr);
    ~frmTunedeck() override;

    // Controls, by their design names.
    DriveList* drvList = nullptr;
    FolderTree* dirlst = nullptr;
    ListView* lvwFile = nullptr;
    SplitterBar* picSep = nullptr;
    QWidget* fraSong = nullptr;
    std::array<QRadioButton*, 2> optRam{};
    QComboBox* cmbFolder = nullptr;
    QLabel* lblFileTotalSize = nullptr;
    ListView* lvwSong = nullptr;
    StatusBar* stbRioInfo = nullptr;

    // Menus: menuFile and menuHelp in the menu bar, the other three only as pop-up menus.
    QMenu* menuFile = nullptr;
    QAction* menuMkDir = nullptr;
    QAction* menuRmDir = nullptr;
    QAction* menuFormat = nullptr;
    QAction* menuSync = nullptr;
    QMenu* menuPlayer = nullptr;  // the players to choose from, their song order, and safe removal
    QActionGroup* menuPlayers = nullptr;
    QActionGroup* menuOrders = nullptr;
    QAction* menuRemove = nullptr;
    QAction* menuSep2 = nullptr;
    QAction* menuFont = nullptr;
    QAction* menuCustom = nullptr;
    QAction* menuSep1 = nullptr;
    QAction* menuEnd = nullptr;
    QMenu* menuSongList = nullptr;
    QAction* menuDel = nullptr;
    QAction* menuDown = nullptr;
    QAction* menuRefSong = nullptr;
    QAction* menuClipCopy = nullptr;
    QMenu* menuFileList = nullptr;
    QAction* menuSend = nullptr;
    QMenu* menuFolder = nullptr;
    QAction* menuFolRef = nullptr;
    QAction* menuFolSync = nullptr;  // the same command as menuSync
    QMenu* menuHelp = nullptr;
    QAction* menuAbout = nullptr;
    // Esc: stops a send, download, delete or sync under way.
    QShortcut* cancelKey = nullptr;
    // Alt+Up and Alt+Down on the song list: the current song changes places with its neighbour.
    QShortcut* swapUpKey = nullptr;
    QShortcut* swapDownKey = nullptr;

    // Start-up and shutdown.
    void Form_Load();
    void Form_Unload();
    void menuEnd_Click();

    // Layout and splitter; x and y in twips relative to the bar.
    void Form_Resize();
    void picSep_MouseMove(int button, int shift, double x, double y);

    // The player pane. `then` is told whether the player was read, once the pane shows what was.
    void refreshDeviceView(bool reloadFolders, std::function<void(bool read)> then = {});
    void optRam_Click(int index);
    void cmbFolder_Click();
    void menuRefSong_Click();
    void lvwSong_KeyDown(int keyCode, int shift);

    // The player's memory and folders.
    void menuFormat_Click();
    void formatMemory(PlayerSession::Done then = {});  // `then`: ok() when the memory was erased
    void menuMkDir_Click();
    void menuRmDir_Click();

    // Song transfers; x and y in pixels within the song list's viewport.
    void menuSend_Click();
    void lvwSong_OLEDragDrop(const QStringList& files);  // the dropped files, in the drop's order
    void menuSync_Click();
    void menuDown_Click();
    void menuDel_Click();
    void lvwSong_MouseDown(int button, int shift, int x, int y);
    void lvwSong_MouseMove(int button, int shift, int x, int y);  // `button`: the buttons held
    void lvwSong_MouseUp(int button, int shift, int x, int y);
    void swapCurrentSong(int step);  // with the song `step` rows further down (-1 or 1)

    // The player the window manages: chosen from the player menu, kept in the settings.
    void menuPlayer_Click(const QString& id);
    void menuOrder_Click(SongOrder order);
    void menuRemove_Click();
    const PlayerEntry& player() const { return player_; }

    // The display format of song titles, and the font the player shows them in.
    void menuCustom_Click();
    void menuFont_Click();

    // The version box, and the song list copied to the clipboard.
    void menuAbout_Click();
    void menuClipCopy_Click();

    // The computer pane; x and y in twips relative to the control.
    void drvList_Change();
    void menuFolRef_Click();
    void dirlst_Change();
    void dirlst_KeyPress(int keyAscii);
    void dirlst_MouseUp(int button, int shift, double x, double y);
    void fillFileList(const QString& folder);
    void showSelectedTotal();
    void lvwFile_DblClick();
    void lvwFile_KeyDown(int keyCode, int shift);
    void lvwFile_MouseUp(int button, int shift, double x, double y);
    void lvwFile_ColumnClick(int column);  // counted from 1

    // State kept for the whole run.
    PlayerMemory memory() const { return memory_; }  // the memory the song list shows
    QString memoryName() const { return memoryNameOf(memory_); }
    // A command is at work on the player: from its start until its continuation has shown how it ended.
    bool isRunning() const { return playerPane_->isHeld(); }
    const QString& displayFontName() const { return displayFontName_; }
    qint32 displayFontSize() const { return displayFontSize_; }
    DeviceComponent* device() const { return session_ ? session_->device() : nullptr; }
    // The song list's row `row` (from 0), as the player held it when the list was read.
    SongRef songAt(int row) const { return lvwSong->itemValue<SongRef>(row); }
    // The program is ending: the work under way stops, and nothing new starts on the player.
    void stopPlayerWork();
    SettingsFile settings() const { return SettingsFile(environment_.programFolder, settingsSection_); }
    const Twips& twips() const { return twips_; }
    int splitterTop() const { return splitterTop_; }  // twips, within the client area

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void createMenus();
    // The player the window manages from now on; the texts that name it follow.
    void setPlayer(PlayerEntry player);
    // Names the controls and menu items, those of the player by `words_`.
    void nameControls();
    void connectHandlers();
    void setColumns();
    // Lists the emulated player and those found in the player menu, the chosen one checked.
    void fillPlayerMenu();
    // Starts a session with the chosen player, in its song order, and reads its pane when `read`.
    void connectPlayer(bool read);
    // Empties the player pane, then reads it from the player.
    void clearPlayerPane();
    void readPlayerAgain();
    // A player was plugged in or pulled out.
    void playersChanged();
    // The player menu's entry for `id`: a found player, a folder, or the emulated player.
    PlayerEntry playerEntry(const QString& id) const;
    layout::Fixed fixedLayout() const;
    int heightInTwips(const QWidget* control) const;
    void placeInTwips(QWidget* control, int left, int top, int width, int height);
    void setStatus(const QString& text);  // status panel 1, painted at once
    void openCurrentFile();
    // `then` told true when they changed places and the list was read again.
    void swapSongs(int row, int otherRow, std::function<void(bool swapped)> then);

    // Shows what a reading of the player found.
    void showPane(const PaneReading& reading);
    // Says how a command on the player ended when it did not end well: `failureText` and the player's
    // description for a failure; for a player that no longer held what the list showed, the pane read again
    // and then that said. True when it ended well.
    bool reportOutcome(const QString& failureText, const Outcome& outcome);
    // Reads the player pane again after a change and shows `doneText`; then `then`, told whether it read.
    void refreshAfterChange(const QString& doneText, std::function<void(bool read)> then = {});
    // What a folder removal or a format says of the files it left, being no songs.
    static QString keptFilesText(int kept);
    // Holds the player pane and its commands still while a command works on the player, until the hold and
    // every copy of it (in the command's continuation) have gone.
    BusyWindow::Hold holdPlayerPane(BusyWindow::Pointer pointer);
    // `then` with the command's outcome, the player pane held until it has run.
    PlayerSession::Done holding(BusyWindow::Pointer pointer, PlayerSession::Done then);
    // Runs a send, download, delete or sync with the player pane held: each song in status panel 1 as its
    // name followed by `doing`, and each refusal where the run goes on after one; the run's progress in the
    // status bar; Esc and the cancel button stopping it. `then` shows how it ended, the pane still held.
    void showingRun(const QString& doing, BusyWindow::Pointer pointer,
                    const std::function<void(PlayerSession&, PlayerSession::Done)>& run,
                    PlayerSession::Done then);
    // Sends `files` to the chosen folder, each titled from its tags.
    void sendFiles(const QStringList& files, PlayerSession::AfterRefusal afterRefusal,
                   PlayerSession::Done then);
    // The display title a file is sent under, made from its tags on the session's thread.
    PlayerSession::TitleOf titleOfFiles() const;
    // The full paths of the file list's files, in list order: the selected ones, or all.
    QStringList selectedFiles() const;
    QStringList listedFiles() const;
    // Runs `request`, the choice made, then shows the folder synced into and how the sync ended.
    void syncFolder(const SyncRequest& request);
    void showSyncedFolder(const FolderRef& synced, const QString& ending);
    // The song list's selected songs, in list order.
    QList<SongRef> selectedSongs() const;

    Environment environment_;
    Twips twips_;
    QWidget* client_ = nullptr;

    QString settingsSection_;
    PlayerMemory memory_ = PlayerMemory::Internal;
    // What the song list shows: of which memory, and the folder chosen in the combo box then.
    PlayerMemory shownMemory_ = PlayerMemory::Internal;
    int shownFolder_ = -1;
    bool removedSafely_ = false;  // the player was removed safely and has not been plugged in again since
    QString displayFontName_;
    qint32 displayFontSize_ = 0;
    // The player pane and its commands; before the session, which may hold it in a continuation when it ends.
    std::unique_ptr<BusyWindow> playerPane_;
    std::unique_ptr<PlayerSession> session_;
    PlayerEntry player_;
    PlayerWords words_;  // what texts call player_
    std::vector<PlayerEntry> foundPlayers_;
    int pressedSong_ = 0;  // the 1-based position of the song the left button pressed; 0: none
    int splitterTop_ = 0;
    layout::Sizes layoutSizes_;
};

}  // namespace tunedeck
