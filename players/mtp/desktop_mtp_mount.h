// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>

typedef struct _GFile GFile;

namespace tunedeck {

// The activation root of GNOME's MTP volume of the USB device at `address` on `bus`, in a listing of
// `gio mount -li`; empty where it lists none. gvfs gives an MTP volume the device node as its "unix-device"
// identifier and an mtp:// activation root, named after udev's ID_SERIAL in gvfs 1.50, which two players of
// one model may share: the node tells them apart.
QString mtpVolumeRoot(const QString& listing, int bus, int address);

// GNOME's MTP file system (gvfsd-mtp) asked through GIO to unmount a USB device while this object lives, and
// to mount it again when it goes; `notice` tells the user it did, or could not give it back. Without a
// session bus, or where gvfs's volume monitor has no mounted MTP volume of the device, it does nothing. Each
// answer is waited for a bounded time on a GLib context of its own, so it may live on a thread without a GLib
// loop.
class DesktopMtpMount {
  public:
    DesktopMtpMount(int bus, int address, GivesNotices::Notice notice);
    ~DesktopMtpMount();
    DesktopMtpMount(const DesktopMtpMount&) = delete;
    DesktopMtpMount& operator=(const DesktopMtpMount&) = delete;

    // Why the file system kept the device after it was asked; empty when it let go or was not asked.
    const QString& refusal() const { return refusal_; }

  private:
    const GivesNotices::Notice notice_;
    GFile* released_ = nullptr;  // the activation root of the volume unmounted here, to be mounted again
    QString refusal_;
};

}  // namespace tunedeck
