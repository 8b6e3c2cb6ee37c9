// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_factory.h"
#include "emulated_kind.h"
#include "music_files.h"
#include "settings_file.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// The full path of a program the build puts beside tunedeck.
inline QString builtProgram(const QString& name) {
    return QStringLiteral(TUNEDECK_BIN_DIR "/") + name;
}

// How a program run ended: its exit status (-1 when it crashed or did not end within 30 seconds) and what
// it wrote.
struct ProgramRun {
    int exitStatus = -1;
    QString out, err;
    // The whole run as one text to compare: "status|out|err".
    QString said() const { return QString::number(exitStatus) + u'|' + out + u'|' + err; }
};

// Runs `program` to its end, in the test's environment with `variables` ("NAME=value") set and a runtime
// folder of its own, which Qt would otherwise mention on standard error.
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QStringList& variables = {}) {
    static const QTemporaryDir runtime;
    QProcess process;
    QStringList environment = QProcess::systemEnvironment();
    environment << QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path();
    // Under the sanitizers, whole stacks: the leak suppressions of Qt's own threads match on frames of Qt,
    // which the fast unwinder does not reach. Short programs, so the cost stays small.
    if (qEnvironmentVariableIsSet("ASAN_OPTIONS"))
        environment << QStringLiteral("ASAN_OPTIONS=") + qEnvironmentVariable("ASAN_OPTIONS") +
                           QStringLiteral(":fast_unwind_on_malloc=0");
    // Later entries replace earlier ones of the same name.
    process.setEnvironment(environment << variables);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(30'000);
    EXPECT_TRUE(ended) << program.toStdString() << " did not end";
    return {.exitStatus = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            .out = QString::fromUtf8(process.readAllStandardOutput()),
            .err = QString::fromUtf8(process.readAllStandardError())};
}

// Where the build puts the component plugins.
inline QString componentsFolder() {
    return QStringLiteral(TUNEDECK_COMPONENTS_DIR);
}

// The emulated player as the program creates it, through its plugin, on `storeFolder`.
inline std::unique_ptr<DeviceComponent> createEmulatedPlayer(const QString& storeFolder) {
    return createDevice(emulatedKind(), componentsFolder(), storeFolder);
}

// The names of folders, songs or directory entries, in their order.
template <class Items>
QStringList namesOf(const Items& items) {
    QStringList names;
    for (const auto& item : items)
        names << item.name;
    return names;
}

// Runs `work` inside an Open..Close bracket of `device`, closed also when `work` throws.
inline void inBracket(DeviceComponent& device, const std::function<void()>& work) {
    device.Open();
    const auto close = qScopeGuard([&] { device.Close(); });
    work();
}

// A temporary program folder: the settings file lives in it, and so does the emulated player's store.
class ProgramFolder {
  public:
    explicit ProgramFolder(QString exeBaseName = QStringLiteral("tunedeck")) : exeBaseName_(exeBaseName) {}

    QString path() const { return dir_.path(); }
    QString exeBaseName() const { return exeBaseName_; }
    QString storePath() const { return dir_.path() + QStringLiteral("/player"); }
    SettingsFile settings() const { return SettingsFile(path(), exeBaseName_); }

    // The settings file's raw bytes; empty when there is none.
    QByteArray settingsBytes() const { return readFile(settings().path()); }
    void writeSettingsBytes(const QByteArray& bytes) const { writeFile(settings().path(), bytes); }

    // Runs `work` on the emulated player on the store, in a bracket of its own.
    void onPlayer(const std::function<void(DeviceComponent&)>& work) const {
        const auto device = createEmulatedPlayer(storePath());
        inBracket(*device, [&] { work(*device); });
    }
    // Formats `memory` of the player and gives it the folders and songs of `state`, written as playerState()
    // reads it; a song's bytes are its name over and over, 1000 bytes for "s1".
    void setUpPlayer(const QString& state, const QString& memory = QStringLiteral("0")) const {
        onPlayer([&](DeviceComponent& device) {
            device.Format(memory);
            const QStringList folders = state.split(u' ', Qt::SkipEmptyParts);
            for (int index = 0; index < folders.size(); ++index) {
                device.AddFolder(folders[index].section(u':', 0, 0), memory);
                for (const QString& song : folders[index].section(u':', 1).split(u',', Qt::SkipEmptyParts))
                    device.AddSong(index, song,
                                   writeFile(path() + QStringLiteral("/song"), song.toUtf8().repeated(500)),
                                   memory, {});
            }
        });
    }
    // The folders of `memory`, each as "name:song,song", joined by spaces: "a:s1,s2 b:".
    QString playerState(const QString& memory = QStringLiteral("0")) const {
        QStringList folders;
        onPlayer([&](DeviceComponent& device) {
            const std::vector<DeviceFolder> all = device.Folders(memory.toInt());
            for (qint16 index = 0; index < qint16(all.size()); ++index)
                folders << all[index].name + u':' + namesOf(device.Songs(memory.toInt(), index)).join(u',');
        });
        return folders.join(u' ');
    }
    // tunedeck-player run on the store.
    ProgramRun runPlayer(const QStringList& arguments) const {
        return runProgram(builtProgram(QStringLiteral("tunedeck-player")),
                          QStringList{QStringLiteral("--store"), storePath()} + arguments);
    }

  private:
    TemporaryFolder dir_;
    QString exeBaseName_;
};

}  // namespace tunedeck::testing
