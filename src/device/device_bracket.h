#pragma once

#include "device_component.h"

#include <QString>

#include <exception>
#include <functional>
#include <optional>

namespace tunedeck {

// The text shown after " Err:" for a failure: a device error's description, or what another error says.
QString descriptionOf(const std::exception& error);

// Runs `work` and then Close. When anything fails, Close is called with its own failure ignored and the
// first error's description is returned; nothing is returned on success.
std::optional<QString> closeAfter(DeviceComponent& device, const std::function<void()>& work);

// One bracket on the player: Open, `work`, Close, with the failure handling of closeAfter. A missing device
// object (its component could not be created) fails like any call on it.
std::optional<QString> deviceBracket(DeviceComponent* device,
                                     const std::function<void(DeviceComponent&)>& work);

}  // namespace tunedeck
