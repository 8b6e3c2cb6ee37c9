#pragma once

#include "device_recorder.h"
#include "frmTunedeck.h"
#include "music_files.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "scripted_prompts.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// A list's rows top to bottom, each its first `columns` cells joined by "|".
inline QStringList rows(const ListView& list, int columns = 4) {
    QStringList rows;
    for (int row = 0; row < list.itemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells << list.subItemText(row, column);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The calls of one refresh of `memory`: Folders when the folders are read again, the Songs of `folder` unless
// there is none (-1).
inline QStringList refreshCalls(bool readsFolders, int folder = 0,
                                const QString& memory = QStringLiteral("0")) {
    QStringList calls = {QStringLiteral("Open()"), QStringLiteral("ExtFlash()")};
    if (readsFolders)
        calls << QStringLiteral("Folders(%1)").arg(memory);
    if (folder >= 0)
        calls << QStringLiteral("Songs(%1, %2)").arg(memory).arg(folder);
    return calls << QStringLiteral("AvailableMemory(\"%1\")").arg(memory) << QStringLiteral("Close()");
}

// The texts of a refresh that reads the player.
inline const QStringList kRefreshTexts = {QStringLiteral("Rio500を探しています..."),
                                          QStringLiteral("曲リスト取得中..."), QStringLiteral("Ready")};

// A window over a temporary program folder, the emulated player on a store inside it (behind a recorder),
// scripted prompts and a scripted shell. The process's working folder, where the folder tree starts, is a
// temporary folder too. Every window is checked as the test leaves it (a new start or the test's end): every
// scripted answer asked for, every device call inside an Open..Close bracket and every bracket closed, and an
// open window given back to the user: usable, the arrow, the player pane and its commands released, the
// keyboard focus on a control.
class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(const QString& exeBaseName = QStringLiteral("tunedeck")) : folder(exeBaseName) {
        QDir::setCurrent(working.path());
    }
    ~WindowTest() override {
        if (window && window->isVisible())
            window->close();
        QDir::setCurrent(previousFolder_);
    }
    void TearDown() override { expectLeftSound(); }

    void expectLeftSound() const {
        EXPECT_TRUE(prompts.allAnswersUsed()) << "a scripted answer was never asked for";
        EXPECT_TRUE(!deviceLog || (deviceLog->unbracketed.isEmpty() && !deviceLog->open))
            << "outside a bracket: " << deviceLog->unbracketed.join(u' ').toStdString();
        if (!window || !window->isVisible())
            return;
        const frmTunedeck& w = *window;
        EXPECT_TRUE(w.isEnabled() && w.fraSong->isEnabled() && w.menuSend->isEnabled() &&
                    w.menuDel->isEnabled() && w.menuDown->isEnabled());
        EXPECT_FALSE(w.isRunning() || w.isBusy());
        EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
        EXPECT_NE(w.focusWidget(), nullptr) << "the focus was not given back";
    }

    // Builds the window and runs its start-up, with `folderProblem` as the write folder's problem.
    frmTunedeck& start() {
        if (window)
            expectLeftSound();
        const auto createDevice = [this](const QString& progId) -> std::unique_ptr<DeviceComponent> {
            auto device = std::make_unique<DeviceRecorder>(
                tunedeck::createDevice(progId, components, folder.storePath()));
            recorder = device.get();
            deviceLog = device->sharedLog();
            return device;
        };
        window = std::make_unique<frmTunedeck>(Environment{.programFolder = folder.path(),
                                                           .programFolderProblem = folderProblem,
                                                           .exeBaseName = folder.exeBaseName(),
                                                           .createDevice = createDevice,
                                                           .prompts = &prompts,
                                                           .shell = &shell});
        QObject::connect(window->stbRioInfo, &StatusBar::panelTextChanged,
                         [this](int panel, const QString& text) {
                             if (panel == 1 && (statusTexts_.append(text), onStatusText))
                                 onStatusText(text);
                         });
        window->Form_Load();
        return *window;
    }
    QString folderProblem;
    // Closes the window as the user does, which runs the shutdown.
    void closeWindow() {
        window->close();
        QCoreApplication::processEvents();
    }
    // Writes `bytes` to `name` in the working folder (folders made as needed) and returns the full path.
    QString workFile(const QString& name, const QByteArray& bytes = "x") const {
        return writeFile(working.filePath(name), bytes);
    }

    // Runs `work` on the player through a device object of our own, between the window's brackets: the
    // Open fails if the window left the player open.
    void onPlayer(const std::function<void(DeviceComponent&)>& work) const {
        const auto device = createEmulatedPlayer(folder.storePath());
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        work(*device);
    }
    // Formats `memory` and gives it the folders and songs of `state`, written as playerState() reads it.
    void setUpPlayer(const QString& state, const QString& memory = QStringLiteral("0")) const {
        onPlayer([&](DeviceComponent& device) {
            device.Format(memory);
            const QStringList folders = state.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int index = 0; index < folders.size(); ++index) {
                device.AddFolder(folders[index].section(QLatin1Char(':'), 0, 0), memory);
                for (const QString& song :
                     folders[index].section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
                    device.AddSong(qint16(index), song,
                                   writeFile(folder.path() + QStringLiteral("/song"), songBytes(song)),
                                   memory);
            }
        });
    }
    // A song's bytes: its name over and over, 1000 bytes for "s1".
    static QByteArray songBytes(const QString& name) { return name.toUtf8().repeated(500); }
    // The folders of `memory`, each as "name:song,song", joined by spaces: "a:s1,s2 b:".
    QString playerState(const QString& memory = QStringLiteral("0")) const {
        QStringList folders;
        onPlayer([&](DeviceComponent& device) {
            const std::vector<DeviceFolder> all = device.Folders(memory.toInt());
            for (qint16 index = 0; index < qint16(all.size()); ++index) {
                QStringList songs;
                for (const DeviceSong& song : device.Songs(memory.toInt(), index))
                    songs << song.name;
                folders << all[index].name + QLatin1Char(':') + songs.join(QLatin1Char(','));
            }
        });
        return folders.join(QLatin1Char(' '));
    }
    // What the player pane shows: "folder,folder / song,song".
    QString shownState() const {
        QStringList folders;
        for (int i = 0; i < window->cmbFolder->count(); ++i)
            folders << window->cmbFolder->itemText(i);
        return folders.join(QLatin1Char(',')) + QStringLiteral(" / ") +
               rows(*window->lvwSong, 1).join(QLatin1Char(','));
    }
    // Runs the tunedeck-player command on the store.
    void runPlayerCommand(const QStringList& arguments) const {
        const ProgramRun run =
            runProgram(builtProgram(QStringLiteral("tunedeck-player")),
                       QStringList{QStringLiteral("--store"), folder.storePath()} + arguments);
        ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();
    }

    // Selects exactly the items at these 1-based positions.
    static void selectPositions(ListView& list, const QList<int>& positions) {
        list.clearSelection();
        for (const int position : positions)
            list.selectionModel()->select(list.model()->index(position - 1, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QString lastStatus() const { return window->stbRioInfo->panelText(1); }
    // Texts status panel 1 showed since the last call.
    QStringList takeStatusTexts() { return std::exchange(statusTexts_, {}); }
    // Called with each text status panel 1 shows, as it shows it.
    std::function<void(const QString&)> onStatusText;

    QString previousFolder_ = QDir::currentPath();
    QTemporaryDir working;
    ProgramFolder folder;
    ScriptedPrompts prompts;
    ScriptedShell shell;
    QString components = componentsFolder();  // where the window looks for the player's component
    DeviceRecorder* recorder = nullptr;       // owned by the window until its shutdown
    std::shared_ptr<const DeviceRecorder::Log> deviceLog;  // the recorder's log, also after the shutdown
    std::unique_ptr<frmTunedeck> window;

  private:
    QStringList statusTexts_;
};

}  // namespace tunedeck::testing
