#pragma once

#include "device_recorder.h"
#include "frmTunedeck.h"
#include "music_files.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "scripted_prompts.h"
#include "scripted_shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// A list's rows top to bottom, each its first `columns` cells joined by "|".
QStringList rows(const ListView& list, int columns = 4);
// The calls of one refresh of `memory`: Folders when the folders are read again, the Songs of `folder` unless
// there is none (-1).
QStringList refreshCalls(bool readsFolders, int folder = 0, const QString& memory = QStringLiteral("0"));
// The texts of a refresh that reads the player.
inline const QStringList kRefreshTexts = {QStringLiteral("Rio500を探しています..."),
                                          QStringLiteral("曲リスト取得中..."), QStringLiteral("Ready")};

// A window over a temporary program folder, the emulated player on a store inside it (behind a recorder),
// scripted prompts and a scripted shell. The process's working folder, where the folder tree starts, is a
// temporary folder too.
class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(const QString& exeBaseName = QStringLiteral("tunedeck")) : folder(exeBaseName) {
        QDir::setCurrent(working.path());
    }
    ~WindowTest() override;
    void TearDown() override {
        EXPECT_TRUE(prompts.allAnswersUsed()) << "a scripted answer was never asked for";
    }

    // Builds the window and runs its start-up, with `folderProblem` as the write folder's problem.
    frmTunedeck& start();
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
    void onPlayer(const std::function<void(DeviceComponent&)>& work) const;
    // Formats `memory` and gives it the folders and songs of `state`, written as playerState() reads it.
    void setUpPlayer(const QString& state, const QString& memory = QStringLiteral("0")) const;
    // A song's bytes: its name over and over, 1000 bytes for "s1".
    static QByteArray songBytes(const QString& name) { return name.toUtf8().repeated(500); }
    // The folders of `memory`, each as "name:song,song", joined by spaces: "a:s1,s2 b:".
    QString playerState(const QString& memory = QStringLiteral("0")) const;
    // What the player pane shows: "folder,folder / song,song".
    QString shownState() const;
    // Runs the tunedeck-player command on the store.
    void runPlayerCommand(const QStringList& arguments) const;

    // Selects exactly the items at these 1-based positions.
    static void selectPositions(ListView& list, const QList<int>& positions);
    // The window as the user gets it back after a command: usable, the arrow, the player pane and its
    // commands released, and the focus on `focus`.
    void expectGivenBack(const QWidget* focus) const;

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
    bool componentRegistered = true;
    DeviceRecorder* recorder = nullptr;              // owned by the window until its shutdown
    std::shared_ptr<const QStringList> deviceCalls;  // the recorder's log, also after the shutdown
    std::unique_ptr<frmTunedeck> window;

  private:
    QStringList statusTexts_;
};

}  // namespace tunedeck::testing
