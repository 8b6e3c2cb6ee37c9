#include "program_folder.h"

#include "device_factory.h"
#include "music_files.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tunedeck::testing {

ProgramFolder::ProgramFolder(const QString& exeBaseName) : exeBaseName_(exeBaseName) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary program folder");
}

QByteArray ProgramFolder::settingsBytes() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ProgramFolder::writeSettingsBytes(const QByteArray& bytes) const {
    testing::writeFile(settingsPath(), bytes);
}

std::unique_ptr<DeviceComponent> createEmulatedPlayer(const QString& storeFolder) {
    return createDevice(kPlayerProgId, componentsFolder(), storeFolder);
}

QString componentsFolder() {
    return QStringLiteral(TUNEDECK_COMPONENTS_DIR);
}

QString builtProgram(const QString& name) {
    return QStringLiteral(TUNEDECK_BIN_DIR "/") + name;
}

ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment) {
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
