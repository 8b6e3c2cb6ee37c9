// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck::mtp_texts {

// The MTP player's own refusals, beside the ones it shares with the other players; the window shows them
// after " Err:".
inline const QString kClaimed = QStringLiteral(
    "プレーヤーは別のプログラムが使用中です。"
    "デスクトップのMTPファイルシステム（GNOMEのgvfsd-mtp、KDEのkiod5など）"
    "やほかのMTPソフトを終了してください: ");
inline const QString kNotOpened = QStringLiteral(
    "プレーヤーを開けませんでした。"
    "デスクトップのMTPファイルシステム（GNOMEのgvfsd-mtp、KDEのkiod5など）"
    "が使っていれば、終了してください。");
inline const QString kRefused = QStringLiteral("プレーヤーが処理できませんでした: ");
inline const QString kConnectionLost =
    QStringLiteral("プレーヤーとの通信が切れました。接続を確かめてください: ");

// GNOME's MTP file system (gvfsd-mtp) asked to let the player go while Tunedeck works on it: what it did.
inline const QString kDesktopLent = QStringLiteral(
    "デスクトップのMTPファイルシステム（gvfsd-mtp）にプレーヤーを放してもらいました。使い終われば返します。");
inline const QString kDesktopKept = QStringLiteral(
    "プレーヤーはデスクトップのMTPファイルシステム（gvfsd-mtp）が使用中です。"
    "放すよう頼みましたが、放しませんでした: ");
inline const QString kDesktopSilent = QStringLiteral("%1秒待っても答えがありませんでした");
inline const QString kDesktopNotReturned = QStringLiteral(
    "デスクトップのMTPファイルシステム（gvfsd-mtp）にプレーヤーを返せませんでした。"
    "ファイルマネージャーで開き直してください: ");

}  // namespace tunedeck::mtp_texts
