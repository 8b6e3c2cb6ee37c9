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
// gvfsd-mtp opens the player once a mount; right after libmtp has closed its session the player may not
// answer.
constexpr int kMountTries = 5;
constexpr gulong kMountPauseUs = 1000000;

Q_LOGGING_CATEGORY(desktopMtp, "tunedeck.mtp.desktop", QtInfoMsg)

// The volume monitor's context, thread-default while it is read. Its signals wait there for the next reading
// instead of reaching a loop that is not GLib's, or none. The calls made of what it says run on contexts of
// their own, so that its handlers of the mounts' changes never run meanwhile: run inside the unmount, gvfs's
// bookkeeping of shadow mounts there warned of a negative count and crashed one unmount of five in the test
// machine.
class MonitorContext {
  public:
    MonitorContext() {
        g_main_context_push_thread_default(context());
        // What the monitor heard since the last reading brings its lists up to date.
        while (g_main_context_iteration(context(), FALSE)) {
        }
    }
    ~MonitorContext() { g_main_context_pop_thread_default(context()); }
    MonitorContext(const MonitorContext&) = delete;
    MonitorContext& operator=(const MonitorContext&) = delete;

  private:
    static GMainContext* context() {
        static GMainContext* const context = g_main_context_new();
        return context;
    }
};

// One hand-off at a time: the monitor's context is iterated by one thread only.
std::mutex& handOffs() {
    static std::mutex mutex;
    return mutex;
}

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

QString silence() {
    return mtp_texts::kDesktopSilent.arg(kAnswerWaitMs / 1000);
}

// Begins a call with `begin(cancellable, callback, data)` and ends it with `end(result, error)`: empty when
// it succeeded, else why not. A call that does not answer in time is cancelled.
template <typename Begin, typename End>
QString call(Begin begin, End end) {
    g_autoptr(GMainContext) context = g_main_context_new();
    g_main_context_push_thread_default(context);
    const auto answer = std::make_shared<Answer>();
    g_autoptr(GCancellable) cancellable = g_cancellable_new();
    begin(cancellable, keepAnswer, new std::shared_ptr<Answer>(answer));
    bool answered = waitFor(*answer, kAnswerWaitMs);
    if (!answered) {
        g_cancellable_cancel(cancellable);
        answered = waitFor(*answer, kCancelledWaitMs);
    }
    g_main_context_pop_thread_default(context);
    if (!answered)
        return silence();
    g_autoptr(GError) error = nullptr;
    if (end(answer->result, &error))
        return {};
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ? silence()
                                                                    : QString::fromUtf8(error->message);
}

// The activation root of the desktop's MTP volume of the device, or null.
GFile* mtpVolumeRootOf(int bus, int address) {
    const MonitorContext monitorContext;
    g_autoptr(GVolumeMonitor) monitor = g_volume_monitor_get();
    GList* volumes = g_volume_monitor_get_volumes(monitor);
    GFile* found = nullptr;
    for (GList* each = volumes; each && !found; each = each->next) {
        GVolume* volume = G_VOLUME(each->data);
        g_autofree char* device = g_volume_get_identifier(volume, G_VOLUME_IDENTIFIER_KIND_UNIX_DEVICE);
        g_autoptr(GFile) root = g_volume_get_activation_root(volume);
        g_autofree char* uri = root ? g_file_get_uri(root) : nullptr;
        qCDebug(desktopMtp, "volume of %s, activation root %s", device, uri);
        if (isMtpVolumeOf(QString::fromUtf8(device), QString::fromUtf8(uri), bus, address))
            found = G_FILE(g_steal_pointer(&root));
    }
    g_list_free_full(volumes, g_object_unref);
    return found;
}

// The mount of a volume's activation root, or null where it is not mounted: asked of gvfs's daemon, which
// knows it now, rather than of the volume, which knows what the monitor's lists last heard.
GMount* mountOf(GFile* root) {
    GMount* mount = nullptr;
    const QString failure = call(
        [&](GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
            g_file_find_enclosing_mount_async(root, G_PRIORITY_DEFAULT, cancellable, callback, data);
        },
        [&](GAsyncResult* result, GError** error) {
            mount = g_file_find_enclosing_mount_finish(root, result, error);
            return mount != nullptr;
        });
    qCDebug(desktopMtp) << "mount of the volume:" << (failure.isEmpty() ? QStringLiteral("found") : failure);
    return mount;
}

}  // namespace

bool isMtpVolumeOf(const QString& unixDevice, const QString& activationRoot, int bus, int address) {
    return unixDevice == usbNode(bus, address) && activationRoot.startsWith(QLatin1String("mtp://"));
}

DesktopMtpMount::DesktopMtpMount(int bus, int address) {
    // Without a session bus GIO would launch one of its own, where no desktop is.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const std::lock_guard lock(handOffs());
    g_autoptr(GFile) root = mtpVolumeRootOf(bus, address);
    g_autoptr(GMount) mount = root ? mountOf(root) : nullptr;
    if (!mount)
        return;
    // gvfs's own mounts reference the mount operation unchecked; nobody answers its questions, which refuses.
    g_autoptr(GMountOperation) operation = g_mount_operation_new();
    refusal_ = call(
        [&](GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
            g_mount_unmount_with_operation(mount, G_MOUNT_UNMOUNT_NONE, operation, cancellable, callback,
                                           data);
        },
        [&](GAsyncResult* result, GError** error) {
            return g_mount_unmount_with_operation_finish(mount, result, error);
        });
    if (!refusal_.isEmpty())
        return;
    qCInfo(desktopMtp).noquote() << mtp_texts::kDesktopLent;
    released_ = G_FILE(g_steal_pointer(&root));
}

DesktopMtpMount::~DesktopMtpMount() {
    if (!released_)
        return;
    const std::lock_guard lock(handOffs());
    // As gvfs mounts the volume itself.
    g_autoptr(GMountOperation) operation = g_mount_operation_new();
    QString failure;
    for (int tries = 1; tries <= kMountTries; ++tries) {
        failure = call(
            [&](GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
                g_file_mount_enclosing_volume(released_, G_MOUNT_MOUNT_NONE, operation, cancellable, callback,
                                              data);
            },
            [&](GAsyncResult* result, GError** error) {
                return g_file_mount_enclosing_volume_finish(released_, result, error);
            });
        qCDebug(desktopMtp) << "mount, try" << tries
                            << (failure.isEmpty() ? QStringLiteral("done") : failure);
        if (failure.isEmpty() || failure == silence())
            break;
        g_usleep(kMountPauseUs);
    }
    if (!failure.isEmpty())
        qCWarning(desktopMtp).noquote() << mtp_texts::kDesktopNotReturned + failure;
    g_object_unref(released_);
}

}  // namespace tunedeck
