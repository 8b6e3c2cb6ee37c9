#include "display_title.h"
#include "frmTunedeck.h"
#include "write_folder.h"

namespace tunedeck {

// "文字列のカスタマイズ(&C)": edits the display format. An empty answer is a cancel, so the stored format
// can never become empty this way; anything else is stored exactly as typed and is used from the next title
// on. Titles read the format from the file, so a write the file did not take is said: the format is lost.
void frmTunedeck::menuCustom_Click() {
    const QString answer = environment_.prompts->input(
        this,
        QStringLiteral("Rio500のディスプレイに表示する形式を入力します。") + QLatin1Char('\r') +
            QStringLiteral("%1:アーティスト %2:タイトル %3:アルバム %4:リリース %5:コメント %B:ファイル名"),
        QStringLiteral("タイトル文字列カスタマイズ"), readDisplayFormat(settings()));
    if (!answer.isEmpty() && !settings().write(QStringLiteral("DisplayFormat"), answer))
        setStatus(unwritableFolderText(environment_.programFolder));
}

}  // namespace tunedeck
