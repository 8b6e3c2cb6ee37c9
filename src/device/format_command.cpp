#include "device_bracket.h"
#include "frmTunedeck.h"

namespace tunedeck {

// "メモリフォーマット": the chosen memory is erased after one question.
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

}  // namespace tunedeck
