#include "device_bracket.h"

namespace tunedeck {

QString descriptionOf(const std::exception& error) {
    if (const auto* deviceError = dynamic_cast<const DeviceError*>(&error))
        return deviceError->description();
    return QString::fromLocal8Bit(error.what());
}

std::optional<QString> closeAfter(DeviceComponent& device, const std::function<void()>& work) {
    try {
        work();
        device.Close();
        return std::nullopt;
    } catch (const std::exception& error) {
        try {
            device.Close();
        } catch (const std::exception&) {
            // Already failing: the first error is the one to report.
        }
        return descriptionOf(error);
    }
}

std::optional<QString> deviceBracket(DeviceComponent* device,
                                     const std::function<void(DeviceComponent&)>& work) {
    // What the desktop says of a call on an object that was never created.
    if (!device)
        return QStringLiteral("オブジェクト変数または With ブロック変数が設定されていません。");
    return closeAfter(*device, [&] {
        device->Open();
        work(*device);
    });
}

}  // namespace tunedeck
