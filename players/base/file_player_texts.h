// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck::file_player_texts {

// The refusals of players of files (mass storage, MTP), beside the ones every player gives
// (player_texts.h); the window shows them after " Err:".
inline const QString kTooLargeForFat =
    QStringLiteral("4GB以上のファイルはこのプレーヤー（FAT）に保存できません。");
inline const QString kNotASong = QStringLiteral("MP3またはRMPのファイルだけを転送できます: ");
inline const QString kFolderExists = QStringLiteral("同じ名前のフォルダがすでにあります: ");
inline const QString kNameTaken = QStringLiteral("同じ名前のファイルがすでにあります: ");
inline const QString kReadOnly = QStringLiteral("プレーヤーは書き込み禁止になっています。");
inline const QString kWriteRefused = QStringLiteral("プレーヤーへの書き込みが許可されていません: ");
inline const QString kDeviceGone =
    QStringLiteral("プレーヤーとの読み書きに失敗しました。接続を確かめてください: ");
inline const QString kAudioFolderMissing = QStringLiteral("プレーヤーの音楽フォルダが見つかりません: ");
inline const QString kReadFailed = QStringLiteral("プレーヤーから読み込めません: ");

}  // namespace tunedeck::file_player_texts
