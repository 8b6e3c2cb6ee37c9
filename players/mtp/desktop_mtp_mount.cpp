// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_mtp_mount.h"

#include "mtp_texts.h"
#include "usb_holders.h"

#include <QLoggingCategory>

#include <gio/gio.h>

#include <memory>
#include <mutex>

namespace tunedeck {
namespace {

// In the emulated test machine gvfs unmounted a player in 3 s and mounted it in 5 s.
constexpr guint kAnswerWaitMs = 20000;
// How long a call given up on still has to say how it ended, once cancelled.
constexpr guint kCancelledWaitMs = 1000;

Q_LOGGING_CATEGORY(desktopMtp, "tunedeck.mtp.desktop", QtInfoMsg)

// A context of GIO's calls here alone, thread-default while they run: their answers and the volume monitor's
// signals wait there for the next call instead of reaching a loop that is not GLib's, or none.
class OwnContext {
  public:
    OwnContext() : lock_(mutex()) {
        g_main_context_push_thread_default(context());
        // What the volume monitor heard since the last call brings its lists up to date.
        while (g_main_context_iteration(context(), FALSE)) {
        }
    }
    ~OwnContext() { g_main_context_pop_thread_default(context()); }
    OwnContext(const OwnContext&) = delete;
    OwnContext& operator=(const OwnContext&) = delete;

  private:
    static GMainContext* context() {
        static GMainContext* const context = g_main_context_new();
        return context;
    }
    static std::mutex& mutex() {
        static std::mutex mutex;
        return mutex;
    }
    std::lock_guard<std::mutex> lock_;
};

// An asynchronous call's result, shared with its callback, which may come after the wait gave up on it.
struct Answer {
    GAsyncResult* result = nullptr;
    ~Answer() { g_clear_object(&result); }
};

void keepAnswer(GObject*, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<std::shared_ptr<Answer>> answer(static_cast<std::shared_ptr<Answer>*>(data));
    (*answer)->result = G_ASYNC_RESULT(g_object_ref(result));
}

gboolean markLate(gpointer late) {
    *static_cast<bool*>(late) = true;
    return G_SOURCE_REMOVE;
}

// Iterates the thread-default context until `answer` has come, for at most `ms`.
bool waitFor(const Answer& answer, guint ms) {
    GMainContext* context = g_main_context_get_thread_default();
    bool late = false;
    GSource* timer = g_timeout_source_new(ms);
    g_source_set_callback(timer, markLate, &late, nullptr);
    g_source_attach(timer, context);
    while (!answer.result && !late)
        g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    return answer.result != nullptr;
}

// Begins a call with `begin(cancellable, callback, data)` and ends it with `end(result, error)`: empty when
// it succeeded, else why not. A call that does not answer in time is cancelled.
template <typename Begin, typename End>
QString call(Begin begin, End end) {
    const auto answer = std::make_shared<Answer>();
    g_autoptr(GCancellable) cancellable = g_cancellable_new();
    begin(cancellable, keepAnswer, new std::shared_ptr<Answer>(answer));
    bool answered = waitFor(*answer, kAnswerWaitMs);
    if (!answered) {
        g_cancellable_cancel(cancellable);
        answered = waitFor(*answer, kCancelledWaitMs);
    }
    const QString silent = mtp_texts::kDesktopSilent.arg(kAnswerWaitMs / 1000);
    if (!answered)
        return silent;
    g_autoptr(GError) error = nullptr;
    if (end(answer->result, &error))
        return {};
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ? silent
                                                                    : QString::fromUtf8(error->message);
}

// The desktop's MTP volume of the device, or null.
GVolume* mtpVolumeOf(GVolumeMonitor* monitor, int bus, int address) {
    GList* volumes = g_volume_monitor_get_volumes(monitor);
    GVolume* found = nullptr;
    for (GList* each = volumes; each && !found; each = each->next) {
        GVolume* volume = G_VOLUME(each->data);
        g_autofree char* device = g_volume_get_identifier(volume, G_VOLUME_IDENTIFIER_KIND_UNIX_DEVICE);
        g_autoptr(GFile) root = g_volume_get_activation_root(volume);
        g_autofree char* uri = root ? g_file_get_uri(root) : nullptr;
        if (isMtpVolumeOf(QString::fromUtf8(device), QString::fromUtf8(uri), bus, address))
            found = G_VOLUME(g_object_ref(volume));
    }
    g_list_free_full(volumes, g_object_unref);
    return found;
}

}  // namespace

bool isMtpVolumeOf(const QString& unixDevice, const QString& activationRoot, int bus, int address) {
    return unixDevice == usbNode(bus, address) && activationRoot.startsWith(QLatin1String("mtp://"));
}

DesktopMtpMount::DesktopMtpMount(int bus, int address) {
    // Without one GIO would start a bus of its own, where no desktop is.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const OwnContext own;
    g_autoptr(GVolumeMonitor) monitor = g_volume_monitor_get();
    g_autoptr(GVolume) volume = mtpVolumeOf(monitor, bus, address);
    g_autoptr(GMount) mount = volume ? g_volume_get_mount(volume) : nullptr;
    if (!mount)
        return;
    refusal_ = call(
        [&](GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
            g_mount_unmount_with_operation(mount, G_MOUNT_UNMOUNT_NONE, nullptr, cancellable, callback, data);
        },
        [&](GAsyncResult* result, GError** error) {
            return g_mount_unmount_with_operation_finish(mount, result, error);
        });
    if (!refusal_.isEmpty())
        return;
    qCInfo(desktopMtp).noquote() << mtp_texts::kDesktopLent;
    // The volume goes on belonging to the monitor's lists, which must outlive it.
    monitor_ = static_cast<GVolumeMonitor*>(g_steal_pointer(&monitor));
    released_ = static_cast<GVolume*>(g_steal_pointer(&volume));
}

DesktopMtpMount::~DesktopMtpMount() {
    if (!released_)
        return;
    const OwnContext own;
    const QString failure = call(
        [&](GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
            g_volume_mount(released_, G_MOUNT_MOUNT_NONE, nullptr, cancellable, callback, data);
        },
        [&](GAsyncResult* result, GError** error) {
            return g_volume_mount_finish(released_, result, error);
        });
    if (!failure.isEmpty())
        qCWarning(desktopMtp).noquote() << mtp_texts::kDesktopNotReturned + failure;
    g_object_unref(released_);
    g_object_unref(monitor_);
}

}  // namespace tunedeck
