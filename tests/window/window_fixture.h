#pragma once

#include "device_recorder.h"
#include "frmTunedeck.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "scripted_prompts.h"
#include "scripted_shell.h"

#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

#include <memory>

namespace tunedeck::testing {

// A window over a temporary program folder, the emulated player on a store inside it (behind a recorder),
// scripted prompts and a scripted shell.
// A list's rows top to bottom, each its cells joined by "|".
QStringList listRows(const ListView& list);

// The calls of one refresh of the first folder of `memory`: Folders when the folders are read again, Songs
// when there is a folder to list.
QStringList refreshCalls(bool readsFolders, bool listsSongs, const QString& memory = QStringLiteral("0"));
// The texts of a refresh that reads the player, ending in "Ready".
QStringList refreshTexts();

class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(const QString& exeBaseName = QStringLiteral("tunedeck")) : folder(exeBaseName) {}
    ~WindowTest() override;
    void TearDown() override;

    Environment environment();

    // Builds the window and runs its start-up.
    frmTunedeck& start();
    // Closes the window as the user does, which runs the shutdown.
    void closeWindow();

    // A device object of our own on the same store, for setting the player up (between the window's
    // brackets).
    std::unique_ptr<DeviceComponent> storeDevice() const { return createEmulatedPlayer(folder.storePath()); }

    // Runs the tunedeck-player command on the store.
    void runPlayerCommand(const QStringList& arguments) const;

    // The songs of a folder on the player (none when there is no such folder), read through a device object
    // of our own between the window's brackets: the read fails if the window left the player open.
    QStringList playerSongs(qint16 folderIndex = 0, const QString& memory = QStringLiteral("0")) const;
    // The song list's first column, top to bottom.
    QStringList listedSongs() const;
    // Selects exactly the items at these 1-based positions.
    static void selectPositions(ListView& list, const QList<int>& positions);
    // The window as the user gets it back after a command: usable, the arrow, the player pane and its
    // commands released, and the focus on `focus`.
    void expectGivenBack(const QWidget* focus) const;

    QString lastStatus() const { return window->stbRioInfo->panelText(1); }
    // Texts status panel 1 showed since the last call.
    QStringList takeStatusTexts();
    // Called with each text status panel 1 shows, as it shows it.
    std::function<void(const QString&)> onStatusText;

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
