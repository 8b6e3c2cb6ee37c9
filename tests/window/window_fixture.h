#pragma once

#include "device_recorder.h"
#include "frmTunedeck.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "scripted_prompts.h"
#include "scripted_shell.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

#include <memory>

namespace tunedeck::testing {

// The process's working folder moved into a temporary folder for the life of the object: the window's
// folder tree and file list start there.
class WorkingFolder {
  public:
    WorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString path() const { return dir_.path(); }
    // Writes `bytes` to `name` (folders made as needed) and returns the full path.
    QString write(const QString& name, const QByteArray& bytes = "x") const;

  private:
    QString previous_;
    QTemporaryDir dir_;
};

// A list's first column, top to bottom.
QStringList names(const ListView& list);
// A list's rows top to bottom, each its cells joined by "|".
QStringList listRows(const ListView& list);
// The calls of one refresh of the first folder of `memory`: Folders when the folders are read again, Songs
// when there is a folder to list.
QStringList refreshCalls(bool readsFolders, bool listsSongs, const QString& memory = QStringLiteral("0"));
// The texts of a refresh that reads the player, ending in "Ready".
QStringList refreshTexts();
// A double-click as the window system delivers it: a click, then the double-click itself.
void doubleClick(QWidget* widget, QPoint at);

// A window over a temporary program folder and working folder, the emulated player on a store inside the
// program folder (behind a recorder), scripted prompts and a scripted shell.
class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(const QString& exeBaseName = QStringLiteral("tunedeck")) : folder(exeBaseName) {}
    ~WindowTest() override;
    void TearDown() override;

    // Builds the window and runs its start-up.
    frmTunedeck& start();
    // Closes the window as the user does, which runs the shutdown.
    void closeWindow();

    // Runs `work` on the player through a device object of our own, between the window's brackets: the
    // Open fails if the window left the player open.
    void onPlayer(const std::function<void(DeviceComponent&)>& work) const;
    // Formats `memory` and gives it the folders and songs of `state`, written as playerState() reads it.
    // A song's bytes are its name over and over, 1000 bytes for "s1".
    void setUpPlayer(const QString& state, const QString& memory = QStringLiteral("0")) const;
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
    QStringList takeStatusTexts();
    // Called with each text status panel 1 shows, as it shows it.
    std::function<void(const QString&)> onStatusText;

    WorkingFolder working;
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
