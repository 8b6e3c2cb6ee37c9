#pragma once

#include "settings_file.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tunedeck {
class DeviceComponent;
}

namespace tunedeck::testing {

// A temporary program folder: the settings file lives in it, and so does the emulated player's store.
class ProgramFolder {
  public:
    explicit ProgramFolder(const QString& exeBaseName = QStringLiteral("tunedeck"));

    QString path() const { return dir_.path(); }
    QString exeBaseName() const { return exeBaseName_; }
    QString storePath() const { return dir_.path() + QStringLiteral("/player"); }
    QString settingsPath() const { return settings().path(); }
    SettingsFile settings() const { return SettingsFile(path(), exeBaseName_); }

    // The settings file's raw bytes; empty when there is none.
    QByteArray settingsBytes() const;
    void writeSettingsBytes(const QByteArray& bytes) const;

  private:
    QTemporaryDir dir_;
    QString exeBaseName_;
};

// The emulated player as the program creates it, through its plugin, on `storeFolder`.
std::unique_ptr<DeviceComponent> createEmulatedPlayer(const QString& storeFolder);

// Where the build puts the component plugins.
QString componentsFolder();

// The full path of a program the build puts beside tunedeck.
QString builtProgram(const QString& name);

// How a program run ended: its exit status (-1 when it crashed or did not end within 30 seconds) and what
// it wrote.
struct ProgramRun {
    int exitStatus = -1;
    QString out, err;
};

// Runs `program` to its end, in the test's environment or in `environment`.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

}  // namespace tunedeck::testing
