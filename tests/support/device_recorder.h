// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "song_order.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

namespace tunedeck::testing {

// Wraps a device object and logs every member call with its arguments in order ("Songs(0, 1)",
// "AvailableMemory(\"0\")": texts quoted, numbers bare). The log, which the recorders of one test share and
// which outlives them (the window releases its device at shutdown), also notes every call made outside an
// Open..Close bracket and holds the calls planned to fail. The choice of song order reaches the device as
// such, as do what a removal kept and the device's notices; a transfer is logged without its progress.
class DeviceRecorder : public DeviceComponent, public SongOrderChoice, public KeptFiles, public GivesNotices {
    using D = DeviceComponent;
    using Text = const QString&;

  public:
    struct Log {
        // unbracketed: the calls made while the player was not open, and the Opens while it was;
        // onWindowThread: the calls that held the window's thread, which only the session's may.
        QStringList calls, unbracketed, onWindowThread;
        bool open = false;  // an Open went through and its Close has not come yet
        // By member, {n, description}: the nth call of the member from now on (1 = the next one) raises
        // DeviceError(description) instead of reaching the device. The call is logged all the same.
        QHash<QString, std::pair<int, QString>> failures;
        // What each Open that goes through tells the user, as a player lent by the desktop does; none if
        // empty.
        QString noticeAtOpen;
    };

    DeviceRecorder(std::unique_ptr<DeviceComponent> inner, std::shared_ptr<Log> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    void Open() override {
        pass("Open", &D::Open);
        log_->open = true;  // once it went through
        if (!log_->noticeAtOpen.isEmpty())
            notice_(log_->noticeAtOpen);
    }
    void Close() override { pass("Close", &D::Close); }
    int ExtFlash() override { return pass("ExtFlash", &D::ExtFlash); }
    std::vector<DeviceFolder> Folders(qint32 m) override { return pass("Folders", &D::Folders, m); }
    std::vector<DeviceSong> Songs(qint32 m, qint16 f) override { return pass("Songs", &D::Songs, m, f); }
    qint64 AvailableMemory(Text m) override { return pass("AvailableMemory", &D::AvailableMemory, m); }
    void FontName(Text name) override { pass("FontName", &D::FontName, name); }
    void FontSize(qint32 size) override { pass("FontSize", &D::FontSize, size); }
    void AddSong(qint16 f, Text t, Text p, Text m, const TransferProgress& progress) override {
        record(QStringLiteral("AddSong"), {shown(f), shown(t), shown(p), shown(m)});
        inner_->AddSong(f, t, p, m, progress);
    }
    void GetSong(qint32 f, qint32 s, Text p, Text m, const TransferProgress& progress) override {
        record(QStringLiteral("GetSong"), {shown(f), shown(s), shown(p), shown(m)});
        inner_->GetSong(f, s, p, m, progress);
    }
    // Made before the first Open, so not a call the log's brackets are about.
    void ChooseSongOrder(SongOrder order) override {
        if (auto* choice = dynamic_cast<SongOrderChoice*>(inner_.get()))
            choice->ChooseSongOrder(order);
    }
    void DeleteSong(qint32 f, qint32 s, Text m) override { pass("DeleteSong", &D::DeleteSong, f, s, m); }
    void SwapSong(qint16 f, qint32 a, qint32 b, Text m) override {
        pass("SwapSong", &D::SwapSong, f, a, b, m);
    }
    void AddFolder(Text name, Text m) override { pass("AddFolder", &D::AddFolder, name, m); }
    void DeleteFolder(qint16 f, Text m) override { pass("DeleteFolder", &D::DeleteFolder, f, m); }
    void Format(Text m) override { pass("Format", &D::Format, m); }
    int FilesKept() const override {
        const auto* kept = dynamic_cast<const KeptFiles*>(inner_.get());
        return kept ? kept->FilesKept() : 0;
    }
    void setNotice(Notice notice) override {
        if (auto* notices = dynamic_cast<GivesNotices*>(inner_.get()))
            notices->setNotice(notice);
        notice_ = std::move(notice);
    }

  private:
    static QString shown(Text text) { return u'"' + text + u'"'; }
    static QString shown(qint64 number) { return QString::number(number); }

    // Logs the call, raises a planned failure, or hands the call on.
    template <class R, class... P, class... A>
    R pass(const char* member, R (D::*function)(P...), const A&... arguments) {
        record(QLatin1String(member), {shown(arguments)...});
        return (inner_.get()->*function)(arguments...);
    }
    // A Close ends the bracket even when it fails.
    void record(const QString& member, const QStringList& arguments) {
        log_->calls.append(member + u'(' + arguments.join(QStringLiteral(", ")) + u')');
        if (log_->open == (member == QLatin1String("Open")) && member != QLatin1String("Close"))
            log_->unbracketed.append(log_->calls.last());
        log_->open = log_->open && member != QLatin1String("Close");
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            log_->onWindowThread.append(log_->calls.last());
        if (log_->failures.contains(member) && --log_->failures[member].first == 0)
            throw DeviceError(log_->failures.take(member).second);
    }

    std::unique_ptr<DeviceComponent> inner_;
    std::shared_ptr<Log> log_;
    Notice notice_ = [](const QString&) {};
};

// What a call on a device was refused with, or "(done)".
inline QString refusal(const std::function<void()>& call) try {
    call();
    return QStringLiteral("(done)");
} catch (const DeviceError& error) {
    return error.description();
}

}  // namespace tunedeck::testing
