#pragma once

#include "device_factory.h"
#include "music_files.h"
#include "settings_file.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// A temporary program folder: the settings file lives in it, and so does the emulated player's store.
class ProgramFolder {
  public:
    explicit ProgramFolder(const QString& exeBaseName = QStringLiteral("tunedeck"))
        : exeBaseName_(exeBaseName) {}

    QString path() const { return dir_.path(); }
    QString exeBaseName() const { return exeBaseName_; }
    QString storePath() const { return dir_.path() + QStringLiteral("/player"); }
    QString settingsPath() const { return settings().path(); }
    SettingsFile settings() const { return SettingsFile(path(), exeBaseName_); }

    // The settings file's raw bytes; empty when there is none.
    QByteArray settingsBytes() const {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeSettingsBytes(const QByteArray& bytes) const { writeFile(settingsPath(), bytes); }

  private:
    QTemporaryDir dir_;
    QString exeBaseName_;
};

// Where the build puts the component plugins.
inline QString componentsFolder() {
    return QStringLiteral(TUNEDECK_COMPONENTS_DIR);
}

// The emulated player as the program creates it, through its plugin, on `storeFolder`.
inline std::unique_ptr<DeviceComponent> createEmulatedPlayer(const QString& storeFolder) {
    return createDevice(kPlayerProgId, componentsFolder(), storeFolder);
}

// The full path of a program the build puts beside tunedeck.
inline QString builtProgram(const QString& name) {
    return QStringLiteral(TUNEDECK_BIN_DIR "/") + name;
}

// How a program run ended: its exit status (-1 when it crashed or did not end within 30 seconds) and what
// it wrote.
struct ProgramRun {
    int exitStatus = -1;
    QString out, err;
};

// Runs `program` to its end, in the test's environment or in `environment`.
inline ProgramRun runProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(30'000);
    EXPECT_TRUE(ended) << program.toStdString() << " did not end";
    return {.exitStatus = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            .out = QString::fromUtf8(process.readAllStandardOutput()),
            .err = QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace tunedeck::testing
