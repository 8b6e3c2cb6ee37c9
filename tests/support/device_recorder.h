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
    explicit DeviceRecorder(std::unique_ptr<DeviceComponent> inner) : inner_(std::move(inner)) {}

    const QStringList& calls() const { return *calls_; }
    void clearCalls() { calls_->clear(); }
    // The log, readable also after the recorder is gone (the window releases its device at shutdown).
    std::shared_ptr<const QStringList> sharedCalls() const { return calls_; }

    // The `nth` call of `member` from now on (1 = the next one) raises DeviceError(description) instead of
    // reaching the device. The call is logged all the same.
    void failCall(const QString& member, int nth, const QString& description);

    void Open() override { pass("Open", &D::Open); }
    void Close() override { pass("Close", &D::Close); }
    int ExtFlash() override { return pass("ExtFlash", &D::ExtFlash); }
    std::vector<DeviceFolder> Folders(qint32 m) override { return pass("Folders", &D::Folders, m); }
    std::vector<DeviceSong> Songs(qint32 m, qint16 f) override { return pass("Songs", &D::Songs, m, f); }
    qint64 AvailableMemory(const QString& m) override {
        return pass("AvailableMemory", &D::AvailableMemory, m);
    }
    void FontName(const QString& name) override { pass("FontName", &D::FontName, name); }
    void FontSize(qint32 size) override { pass("FontSize", &D::FontSize, size); }
    void AddSong(qint16 f, const QString& title, const QString& path, const QString& m) override {
        pass("AddSong", &D::AddSong, f, title, path, m);
    }
    void GetSong(qint32 f, qint32 s, const QString& path, const QString& m) override {
        pass("GetSong", &D::GetSong, f, s, path, m);
    }
    void DeleteSong(qint32 f, qint32 s, const QString& m) override {
        pass("DeleteSong", &D::DeleteSong, f, s, m);
    }
    void SwapSong(qint16 f, qint32 a, qint32 b, const QString& m) override {
        pass("SwapSong", &D::SwapSong, f, a, b, m);
    }
    void AddFolder(const QString& name, const QString& m) override {
        pass("AddFolder", &D::AddFolder, name, m);
    }
    void DeleteFolder(qint16 f, const QString& m) override { pass("DeleteFolder", &D::DeleteFolder, f, m); }
    void Format(const QString& m) override { pass("Format", &D::Format, m); }

  private:
    using D = DeviceComponent;

    struct Failure {
        int atCall;
        QString description;
    };

    static QString shown(const QString& text) { return u'"' + text + u'"'; }
    static QString shown(qint64 number) { return QString::number(number); }

    // Logs the call, raises a planned failure, or hands the call on.
    template <class R, class... P, class... A>
    R pass(const char* member, R (D::*function)(P...), const A&... arguments) {
        record(QLatin1String(member), {shown(arguments)...});
        return (inner_.get()->*function)(arguments...);
    }
    void record(const QString& member, const QStringList& arguments);

    std::unique_ptr<DeviceComponent> inner_;
    std::shared_ptr<QStringList> calls_ = std::make_shared<QStringList>();
    QMap<QString, int> counts_;
    QMultiMap<QString, Failure> failures_;
};

}  // namespace tunedeck::testing
