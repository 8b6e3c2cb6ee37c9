#include "frmTunedeck.h"

namespace tunedeck {

// "Rioにフォルダを作る(&F)": the name goes to the player as typed, also empty when the box was cancelled: the
// player says what it takes.
void frmTunedeck::menuMkDir_Click() {
    const QString name = environment_.prompts->input(this, QStringLiteral("作るフォルダの名前を指定します。"),
                                                     QStringLiteral("フォルダ作成"), QString());
    setStatus(QStringLiteral("フォルダを作成しています..."));
    const bool added =
        runOnDevice(QStringLiteral("フォルダ作成に失敗しました。 Err:"), [&](DeviceComponent& device) {
            device.FontName(displayFontName_);
            device.FontSize(displayFontSize_);
            device.AddFolder(name, memoryText(memory_));
        });
    if (added)
        refreshAfterChange(QStringLiteral("フォルダを作成しました。"));
}

}  // namespace tunedeck
