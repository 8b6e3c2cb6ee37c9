// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_mtp_mount.h"

#include "mtp_texts.h"
#include "usb_holders.h"

#include <QLoggingCategory>
#include <QProcess>

#include <gio/gio.h>

#include <memory>

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

// gvfs's volumes as `gio mount -li` lists them, or nothing where it does not answer in time. Read in a
// process of its own: a volume monitor in this one keeps handlers of the mounts' changes which, run inside an
// unmount or at the next reading, crashed one hand-off in five in the test machine (gvfs's bookkeeping of
// shadow mounts warning of a negative count).
QString volumeListing() {
    QProcess gio;
    gio.start(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-li")});
    if (!gio.waitForFinished(int(kAnswerWaitMs))) {
        gio.kill();
        gio.waitForFinished();
        return {};
    }
    return QString::fromUtf8(gio.readAllStandardOutput());
}

// The mount of a volume's activation root as gvfs's daemon knows it now, or null where it is not mounted (a
// gvfsd-mtp of another session may hold the player).
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

QString mtpVolumeRoot(const QString& listing, int bus, int address) {
    const QString node = usbNode(bus, address);
    const QString device = QStringLiteral("unix-device: '");
    const QString root = QStringLiteral("activation_root=");
    bool inVolume = false;
    bool ofDevice = false;
    for (const QString& line : listing.split(u'\n')) {
        const QString item = line.trimmed();
        if (item.startsWith(QLatin1String("Volume(")) || item.startsWith(QLatin1String("Mount(")) ||
            item.startsWith(QLatin1String("Drive("))) {
            inVolume = item.startsWith(QLatin1String("Volume("));
            ofDevice = false;
        } else if (inVolume && item.startsWith(device) && item.endsWith(u'\'')) {
            ofDevice = item.mid(device.size()).chopped(1) == node;
        } else if (inVolume && ofDevice && item.startsWith(root + QLatin1String("mtp://"))) {
            return item.mid(root.size());
        }
    }
    return {};
}

DesktopMtpMount::DesktopMtpMount(int bus, int address, GivesNotices::Notice notice)
    : notice_(std::move(notice)) {
    // Without a session bus GIO would launch one of its own, where no desktop is.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString uri = mtpVolumeRoot(volumeListing(), bus, address);
    qCDebug(desktopMtp) << "activation root of the volume:" << uri;
    if (uri.isEmpty())
        return;
    g_autoptr(GFile) root = g_file_new_for_uri(uri.toUtf8().constData());
    g_autoptr(GMount) mount = mountOf(root);
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
    notice_(mtp_texts::kDesktopLent);
    released_ = G_FILE(g_steal_pointer(&root));
}

DesktopMtpMount::~DesktopMtpMount() {
    if (!released_)
        return;
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
        notice_(mtp_texts::kDesktopNotReturned + failure);
    g_object_unref(released_);
}

}  // namespace tunedeck
