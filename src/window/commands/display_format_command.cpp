// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp932.h"
#include "display_settings.h"
#include "frmTunedeck.h"
#include "write_folder.h"

namespace tunedeck {
namespace {

// What the settings file makes of a typed format where it differs from what was typed: a character code
// page 932 has no form for becomes "?" (no byte of a two-byte character is a "?"), and titles read no more
// than 1,023 bytes of it. A look-alike kept in code page 932's own form ("〜" as "～") is no change.
QString changedFormatText(const QString& typed) {
    const QByteArray stored = cp932::encode(typed);
    QStringList said;
    if (stored.count('?') > typed.count(u'?'))
        said << QStringLiteral("表示形式のうち保存できない文字は「?」になりました。");
    if (stored.size() > 1023)
        said << QStringLiteral("表示形式が1023バイトを超えたため、それより後は使われません。");
    return said.join(u' ');
}

}  // namespace

// "文字列のカスタマイズ(&C)": edits the display format. An empty answer is a cancel, so the stored format
// can never become empty this way; anything else is stored exactly as typed and is used from the next title
// on. Titles read the format from the file, so a write the file did not take is said: the format is lost;
// and so is a format the file keeps otherwise than typed.
void frmTunedeck::menuCustom_Click() {
    const QString answer = environment_.prompts->input(
        this,
        worded(QStringLiteral("Rio500のディスプレイに表示する形式を入力します。"), words_) +
            QLatin1Char('\r') +
            QStringLiteral("%1:アーティスト %2:タイトル %3:アルバム %4:リリース %5:コメント %B:ファイル名"),
        QStringLiteral("タイトル文字列カスタマイズ"), readDisplayFormat(settings()));
    if (answer.isEmpty())
        return;
    if (!writeDisplayFormat(settings(), answer))
        setStatus(unwritableFolderText(environment_.programFolder));
    else if (const QString changed = changedFormatText(answer); !changed.isEmpty())
        setStatus(changed);
}

}  // namespace tunedeck
