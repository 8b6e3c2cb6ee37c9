#include "device_bracket.h"
#include "frmTunedeck.h"

namespace tunedeck {

void frmTunedeck::menuFormat_Click() {
    if (environment_.prompts->confirm(
            this, memoryName() + QStringLiteral("メモリをフォーマットします。\rよろしいですか？"),
            QStringLiteral("確認")))
        formatMemory();
}

// Erases the chosen memory. A failure is shown without its description and the panes keep what they showed.
bool frmTunedeck::formatMemory() {
    setStatus(memoryName() + QStringLiteral("メモリを初期化しています..."));
    std::optional<QString> failure;
    {
        const BusyWindow busy(this, this, running_, BusyWindow::Pointer::Wait);
        failure = deviceBracket(device_.get(),
                                [this](DeviceComponent& device) { device.Format(memoryText(memory_)); });
    }
    if (failure) {
        setStatus(memoryName() + QStringLiteral("メモリの初期化でエラーが発生しました。"));
        return false;
    }
    refreshAfterChange(memoryName() + QStringLiteral("メモリの初期化が終了しました。"));
    return true;
}

// The change is done on the player whether or not the list can be read afterwards: the user must not take
// it for a failure, nor the old list for what the player now holds, so what the refresh said follows.
void frmTunedeck::refreshAfterChange(const QString& doneText) {
    if (refreshDeviceView(true))
        setStatus(doneText);
    else
        setStatus(doneText + QLatin1Char(' ') + stbRioInfo->panelText(1));
}

}  // namespace tunedeck
