// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_texts.h"

#include "number_format.h"

#include <QStringList>

namespace tunedeck {

QString syncSummaryText(const SyncSummary& summary, const QString& playerFolder, bool newFolder,
                        bool removingOnlyOnPlayer) {
    QStringList lines;
    lines << (newFolder ? QStringLiteral("プレーヤーに新しいフォルダ「%1」を作って同期します。")
                        : QStringLiteral("プレーヤーのフォルダ「%1」と同期します。"))
                 .arg(playerFolder);
    lines << QStringLiteral("転送する曲: %1曲 (%2)").arg(summary.toSend).arg(kilobyteText(summary.sendBytes));
    lines << QStringLiteral("すでにある曲: %1曲").arg(summary.present);
    if (summary.onlyOnPlayer > 0)
        lines << QStringLiteral("プレーヤーにだけある曲: %1曲 (%2)")
                     .arg(summary.onlyOnPlayer)
                     .arg(removingOnlyOnPlayer ? QStringLiteral("削除します") : QStringLiteral("残します"));
    const qint64 missing =
        summary.sendBytes - summary.available - (removingOnlyOnPlayer ? summary.onlyOnPlayerBytes : 0);
    lines << (summary.fits(removingOnlyOnPlayer)
                  ? QStringLiteral("空きメモリ: 足ります (空き %1)").arg(kilobyteText(summary.available))
                  : QStringLiteral("空きメモリ: 足りません (あと %1 要ります)").arg(kilobyteText(missing)));
    lines << (summary.reorder(removingOnlyOnPlayer)
                  ? QStringLiteral("曲順: コンピュータのフォルダの順に並べ直します")
                  : QStringLiteral("曲順: そのままで合っています"));
    if (summary.alike > 0)
        lines << QStringLiteral(
                     "名前と大きさが同じファイルが%"
                     "1個あります。中身は比べず、同じ数だけあればそろっているとみなします。")
                     .arg(summary.alike);
    return lines.join(u'\n');
}

QString syncEndingText(const Outcome& outcome, const SyncResult& result) {
    const QString sent = QStringLiteral("%1個のファイルを転送しました。").arg(outcome.done);
    if (outcome.ending == Outcome::Ending::Failed)
        return QStringLiteral("同期エラー Err:") + outcome.description + u' ' + sent;
    QString done = sent;
    if (result.removed > 0)
        done += QStringLiteral(" %1曲を削除しました。").arg(result.removed);
    if (result.reordered)
        done += QStringLiteral(" 曲順を並べ直しました。");
    if (outcome.failed > 0)
        done +=
            QStringLiteral(" %1個は転送できませんでした。 Err:").arg(outcome.failed) + outcome.description;
    switch (outcome.ending) {
        case Outcome::Ending::Done:
            return QStringLiteral("同期が終了しました。") + done;
        case Outcome::Ending::Cancelled:
            return QStringLiteral("同期を中止しました。") + done;
        default:
            return QStringLiteral("プレーヤーの内容が変わっていました。もう一度同期してください。") + done;
    }
}

}  // namespace tunedeck
