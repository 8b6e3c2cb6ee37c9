#include "program_folder.h"

#include "device_factory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    writeFile(QFileInfo(settingsPath()).fileName(), bytes);
}

QString ProgramFolder::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString full = dir_.filePath(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + full.toStdString());
    return full;
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

}  // namespace tunedeck::testing
