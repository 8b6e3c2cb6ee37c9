#pragma once

#include "device_component.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace tunedeck::testing {

// Wraps a device object, logs every member call with its arguments in order ("Songs(0, 1)",
// "AvailableMemory(\"0\")": texts quoted, numbers bare) and can make a chosen call of a member fail.
class DeviceRecorder final : public DeviceComponent {
  public:
    explicit DeviceRecorder(std::unique_ptr<DeviceComponent> inner);

    const QStringList& calls() const { return *calls_; }
    void clearCalls() { calls_->clear(); }
    // The log, readable also after the recorder is gone (the window releases its device at shutdown).
    std::shared_ptr<const QStringList> sharedCalls() const { return calls_; }

    // The `nth` call of `member` from now on (1 = the next one) raises DeviceError(description) instead of
    // reaching the device. The call is logged all the same.
    void failCall(const QString& member, int nth, const QString& description);

    void Open() override;
    void Close() override;
    int ExtFlash() override;
    std::vector<DeviceFolder> Folders(qint32 memory) override;
    std::vector<DeviceSong> Songs(qint32 memory, qint16 folderIndex) override;
    qint64 AvailableMemory(const QString& memory) override;
    void FontName(const QString& faceName) override;
    void FontSize(qint32 pointSize) override;
    void AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                 const QString& memory) override;
    void GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                 const QString& memory) override;
    void DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) override;
    void SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB, const QString& memory) override;
    void AddFolder(const QString& folderName, const QString& memory) override;
    void DeleteFolder(qint16 folderIndex, const QString& memory) override;
    void Format(const QString& memory) override;

  private:
    struct Failure {
        int atCall;
        QString description;
    };

    void record(const QString& member, const QStringList& arguments);

    std::unique_ptr<DeviceComponent> inner_;
    std::shared_ptr<QStringList> calls_ = std::make_shared<QStringList>();
    QMap<QString, int> counts_;
    QMultiMap<QString, Failure> failures_;
};

}  // namespace tunedeck::testing
