// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_recorder.h"
#include "frmTunedeck.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "scripted_prompts.h"

#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace tunedeck::testing {

using namespace Qt::StringLiterals;

// The players the window finds: those a test lists. A plug-in or a pull-out is the list changed and
// `changed` raised, as UDisks2's signals raise it.
class ListedPlayers final : public PlayerDirectory {
  public:
    std::vector<PlayerEntry> listed;
    QStringList removed;             // the ids removed safely, in order
    std::optional<QString> refusal;  // a removal's failure

    std::vector<PlayerEntry> players() override { return listed; }
    void safelyRemove(const QString& id) override {
        if (refusal)
            throw DeviceError(*refusal);
        removed << id;
    }
};

// A list's rows top to bottom, each its first `columns` cells joined by "|".
inline QStringList rows(const ListView& list, int columns = 4) {
    QStringList rows(list.itemCount());
    for (int row = 0; row < list.itemCount(); ++row)
        for (int column = 0; column < columns; ++column)
            rows[row] += (column > 0 ? u"|"_s : u""_s) + list.subItemText(row, column);
    return rows;
}

// A window over a temporary program folder, the emulated player on a store inside it (behind a recorder),
// scripted prompts and a scripted shell. The process's working folder, where the folder tree starts, is a
// temporary folder too. Every window is checked as the test leaves it (a new start or the test's end): every
// scripted answer asked for, every device call inside an Open..Close bracket and every bracket closed, and an
// open window given back to the user: usable, the arrow, the player pane and its commands released, the
// keyboard focus on a control.
class WindowTest : public ::testing::Test {
  protected:
    WindowTest() { QDir::setCurrent(working.path()); }
    ~WindowTest() override {
        if (window && window->isVisible())
            window->close();
        QDir::setCurrent(previousFolder_);
    }
    void TearDown() override { expectLeftSound(); }

    void expectLeftSound() const {
        const frmTunedeck* w = window.get();
        const bool givenBack = !w || !w->isVisible() ||
                               (w->isEnabled() && w->fraSong->isEnabled() && w->menuSend->isEnabled() &&
                                w->menuDel->isEnabled() && w->menuDown->isEnabled() && !w->isRunning() &&
                                w->cursor().shape() == Qt::ArrowCursor && w->focusWidget());
        // Every answer asked for; the calls outside a bracket; a bracket left open; the calls made on the
        // window's thread; the window given back.
        EXPECT_EQ(std::tuple(prompts.allAnswersUsed(), deviceLog->unbracketed, deviceLog->open,
                             deviceLog->onWindowThread, givenBack),
                  std::tuple(true, QStringList(), false, QStringList(), true));
    }

    // Builds the window and runs its start-up.
    frmTunedeck& start() {
        if (window)
            expectLeftSound();
        const auto recorded = [this](const PlayerEntry& player) {
            const QString at = player.kind->ownStore ? folder.storePath() : player.id;
            return std::make_unique<DeviceRecorder>(createDevice(*player.kind, components, at), deviceLog);
        };
        window = std::make_unique<frmTunedeck>(Environment{.programFolder = folder.path(),
                                                           .programFolderProblem = folderProblem,
                                                           .exeBaseName = folder.exeBaseName(),
                                                           .createDevice = recorded,
                                                           .kinds = kinds,
                                                           .players = directory,
                                                           .prompts = &prompts,
                                                           .shell = &shell});
        QObject::connect(window->stbRioInfo, &StatusBar::panelTextChanged, [this](int panel, QString text) {
            if (panel == 1)
                statusTexts_.append(text);
        });
        window->Form_Load();
        settle();
        return *window;
    }
    // Commands end in continuations, which come as events: after driving one, a test waits here until no
    // command is at work on the player any more (every run ended, and what its end shows shown).
    void settle() const {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isRunning(); }, 30'000)) << "a command never ended";
        QCoreApplication::processEvents();  // what the window queued for once the player pane was given back
    }
    // Writes `bytes` to `name` in the working folder (folders made as needed) and returns the full path.
    QString workFile(const QString& name, const QByteArray& bytes = "x") const {
        return writeFile(working.filePath(name), bytes);
    }

    // What the player pane shows: "folder,folder / song,song".
    QString shownState() const {
        QStringList folders;
        for (int i = 0; i < window->cmbFolder->count(); ++i)
            folders << window->cmbFolder->itemText(i);
        return folders.join(u',') + u" / "_s + rows(*window->lvwSong, 1).join(u',');
    }
    // Selects exactly the items at these 1-based positions.
    static void selectPositions(ListView& list, const QList<int>& positions) {
        list.clearSelection();
        for (const int position : positions)
            list.selectionModel()->select(list.model()->index(position - 1, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // A click on the header of `list`'s column `column` (from 1).
    static void clickColumn(ListView& list, int column) {
        QHeaderView* header = list.horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(column - 1) + 4, header->height() / 2});
    }
    // `urls` dropped on the song list as the desktop drops them: the drag enters, then drops, and the send
    // the drop queues runs.
    void dropOnSongList(const QList<QUrl>& urls) const {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window->lvwSong->viewport(), &enter);
        QCoreApplication::sendEvent(window->lvwSong->viewport(), &dropped);
        EXPECT_TRUE(enter.isAccepted() && dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction);
        QCoreApplication::processEvents();
        settle();
    }

    // Songs `names` made in the working folder ("c" → c.mp3, `size` bytes of its first letter), dropped on
    // the song list.
    void dropSongs(const QStringList& names, qsizetype size = 64 * 1024) const {
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(workFile(name + u".mp3"_s, QByteArray(size, name[0].toLatin1())));
        dropOnSongList(urls);
    }

    // What a user does first on every player: folders Keep and Test made, three songs sent to Test, the first
    // moved down by the keyboard, the third downloaded and the second deleted.
    void makeFoldersSendMoveDownloadAndDelete() {
        frmTunedeck& w = *window;
        for (const char* name : {"Keep", "Test"}) {
            prompts.answerInput(QString::fromLatin1(name));
            w.menuMkDir->trigger();
            settle();
        }
        w.cmbFolder->setCurrentText(u"Test"_s);
        settle();
        dropSongs({u"c"_s, u"a"_s, u"b"_s});
        EXPECT_EQ(shownState(), u"Keep,Test / c,a,b"_s) << lastStatus().toStdString();
        w.lvwSong->setFocus();
        w.lvwSong->selectRow(0);
        QTest::keyClick(w.lvwSong, Qt::Key_Down, Qt::AltModifier);
        settle();
        EXPECT_EQ(shownState(), u"Keep,Test / a,c,b"_s);
        selectPositions(*w.lvwSong, {3});
        prompts.answerConfirm(true);
        w.menuDown->trigger();
        settle();
        EXPECT_EQ(readFile(folder.path() + u"/GetRio03.mp3"_s), QByteArray(64 * 1024, 'b'))
            << lastStatus().toStdString();
        selectPositions(*w.lvwSong, {2});
        w.lvwSong->setFocus();
        prompts.answerConfirm(true);
        QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
        settle();
        EXPECT_EQ(shownState(), u"Keep,Test / a,b"_s);
    }
    // The player menu's items, each with "*" when checked and "-" when disabled.
    QStringList playerMenu() const {
        QStringList items;
        for (const QAction* item : window->menuPlayer->actions())
            if (!item->isSeparator())
                items << item->text() + (item->isChecked() ? u"*"_s : u""_s) +
                             (item->isEnabled() ? u""_s : u"-"_s);
        return items;
    }
    // Chooses the item that starts with `caption` as a user does: the 操作 menu, Right into the player menu,
    // the item, Return.
    void chooseInPlayerMenu(const QString& caption) const {
        QMenu *file = window->menuFile, *menu = window->menuPlayer;
        file->popup({});
        file->setActiveAction(menu->menuAction());
        QTest::keyClick(file, Qt::Key_Right);
        const QList<QAction*> items = menu->actions();
        const auto item =
            std::ranges::find_if(items, [&](QAction* each) { return each->text().startsWith(caption); });
        ASSERT_NE(item, items.end()) << "no item " << caption.toStdString();
        menu->setActiveAction(*item);
        QTest::keyClick(menu, Qt::Key_Return);
        QCoreApplication::processEvents();
        settle();
        file->close();
        // As the window is active again once a menu closes.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QString lastStatus() const { return window->stbRioInfo->panelText(1); }
    // The status panel's text is drawn whole, not cut at the panel's edge: panel 1's, or that of `name`.
    bool statusShownWhole(const QString& name = u"statMsg"_s) const {
        const StatusPanel* panel = window->stbRioInfo->panel(name);
        return panel->isVisible() && panel->width() >= panel->fontMetrics().horizontalAdvance(panel->text());
    }
    // Texts status panel 1 showed since the last call.
    QStringList takeStatusTexts() { return std::exchange(statusTexts_, {}); }

    QString previousFolder_ = QDir::currentPath();
    TemporaryFolder working;
    ProgramFolder folder;
    ScriptedPrompts prompts;
    ScriptedShell shell;
    // Where the window looks for the player's component, and the write folder's problem.
    QString components = componentsFolder(), folderProblem;
    PlayerKinds kinds = builtInKinds();
    ListedPlayers players;
    PlayerDirectory* directory = &players;  // where the window finds players
    const std::shared_ptr<DeviceRecorder::Log> deviceLog = std::make_shared<DeviceRecorder::Log>();
    std::unique_ptr<frmTunedeck> window;
    QStringList statusTexts_;  // see takeStatusTexts()
};

}  // namespace tunedeck::testing
