#include "device_recorder.h"

namespace tunedeck::testing {
namespace {

QString text(const QString& value) {
    return QLatin1Char('"') + value + QLatin1Char('"');
}
QString number(qint64 value) {
    return QString::number(value);
}

}  // namespace

DeviceRecorder::DeviceRecorder(std::unique_ptr<DeviceComponent> inner) : inner_(std::move(inner)) {}

void DeviceRecorder::failCall(const QString& member, int nth, const QString& description) {
    failures_.insert(member, {counts_.value(member) + nth, description});
}

void DeviceRecorder::record(const QString& member, const QStringList& arguments) {
    calls_->append(member + QLatin1Char('(') + arguments.join(QStringLiteral(", ")) + QLatin1Char(')'));
    const int count = ++counts_[member];
    for (auto it = failures_.find(member); it != failures_.end() && it.key() == member; ++it) {
        if (it->atCall == count) {
            const QString description = it->description;
            failures_.erase(it);
            throw DeviceError(description);
        }
    }
}

void DeviceRecorder::Open() {
    record(QStringLiteral("Open"), {});
    inner_->Open();
}

void DeviceRecorder::Close() {
    record(QStringLiteral("Close"), {});
    inner_->Close();
}

int DeviceRecorder::ExtFlash() {
    record(QStringLiteral("ExtFlash"), {});
    return inner_->ExtFlash();
}

std::vector<DeviceFolder> DeviceRecorder::Folders(qint32 memory) {
    record(QStringLiteral("Folders"), {number(memory)});
    return inner_->Folders(memory);
}

std::vector<DeviceSong> DeviceRecorder::Songs(qint32 memory, qint16 folderIndex) {
    record(QStringLiteral("Songs"), {number(memory), number(folderIndex)});
    return inner_->Songs(memory, folderIndex);
}

qint64 DeviceRecorder::AvailableMemory(const QString& memory) {
    record(QStringLiteral("AvailableMemory"), {text(memory)});
    return inner_->AvailableMemory(memory);
}

void DeviceRecorder::FontName(const QString& faceName) {
    record(QStringLiteral("FontName"), {text(faceName)});
    inner_->FontName(faceName);
}

void DeviceRecorder::FontSize(qint32 pointSize) {
    record(QStringLiteral("FontSize"), {number(pointSize)});
    inner_->FontSize(pointSize);
}

void DeviceRecorder::AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                             const QString& memory) {
    record(QStringLiteral("AddSong"),
           {number(folderIndex), text(displayTitle), text(filePath), text(memory)});
    inner_->AddSong(folderIndex, displayTitle, filePath, memory);
}

void DeviceRecorder::GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                             const QString& memory) {
    record(QStringLiteral("GetSong"),
           {number(folderIndex), number(songIndex), text(targetPath), text(memory)});
    inner_->GetSong(folderIndex, songIndex, targetPath, memory);
}

void DeviceRecorder::DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) {
    record(QStringLiteral("DeleteSong"), {number(folderIndex), number(songIndex), text(memory)});
    inner_->DeleteSong(folderIndex, songIndex, memory);
}

void DeviceRecorder::SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB,
                              const QString& memory) {
    record(QStringLiteral("SwapSong"),
           {number(folderIndex), number(songIndexA), number(songIndexB), text(memory)});
    inner_->SwapSong(folderIndex, songIndexA, songIndexB, memory);
}

void DeviceRecorder::AddFolder(const QString& folderName, const QString& memory) {
    record(QStringLiteral("AddFolder"), {text(folderName), text(memory)});
    inner_->AddFolder(folderName, memory);
}

void DeviceRecorder::DeleteFolder(qint16 folderIndex, const QString& memory) {
    record(QStringLiteral("DeleteFolder"), {number(folderIndex), text(memory)});
    inner_->DeleteFolder(folderIndex, memory);
}

void DeviceRecorder::Format(const QString& memory) {
    record(QStringLiteral("Format"), {text(memory)});
    inner_->Format(memory);
}

}  // namespace tunedeck::testing
