// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <libudev.h>

#include <memory>

namespace tunedeck {

struct UdevDeleter {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
    void operator()(udev_enumerate* enumeration) const { udev_enumerate_unref(enumeration); }
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
};

template <typename T>
using UdevHandle = std::unique_ptr<T, UdevDeleter>;

// A udev text, empty for none.
inline QString udevText(const char* value) {
    return value ? QString::fromUtf8(value) : QString();
}

}  // namespace tunedeck
