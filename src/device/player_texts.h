// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck::player_texts {

// The descriptions the player gives with its refusals; the window shows them after " Err:".
inline const QString kNotOpen = QStringLiteral("プレーヤーが開かれていません。");
inline const QString kAlreadyOpen = QStringLiteral("プレーヤーはすでに開かれています。");
inline const QString kInUse = QStringLiteral("プレーヤーは別のプログラムが使用中です。");
inline const QString kNotConnected = QStringLiteral("プレーヤーが接続されていません。");
inline const QString kNoCard = QStringLiteral("スマートメディアが入っていません。");
inline const QString kBadMemory = QStringLiteral("メモリの指定が正しくありません。");
inline const QString kFolderOutOfRange = QStringLiteral("フォルダの番号が範囲外です。");
inline const QString kSongOutOfRange = QStringLiteral("曲の番号が範囲外です。");
inline const QString kMemoryFull = QStringLiteral("メモリの空きが足りません。");
inline const QString kEmptyFolderName = QStringLiteral("フォルダ名が空です。");
inline const QString kUnreadableSource = QStringLiteral("ファイルを読み込めません: ");
inline const QString kUnwritableTarget = QStringLiteral("ファイルを書き込めません: ");
inline const QString kStoreDamaged = QStringLiteral("プレーヤーの記録が壊れています: ");
inline const QString kCancelled = QStringLiteral("転送を中止しました。");
inline const QString kStoreUnwritable = QStringLiteral("プレーヤーに書き込めません: ");
// The status while the emulated player's component cannot be created.
inline const QString kEmulatorNotRegistered = QStringLiteral("Rio500Remix.dllが登録されていません。");
// A removal asked for a player no longer there.
inline const QString kAlreadyRemoved =
    QStringLiteral("プレーヤーが見つかりません。すでに取り外されています。");

}  // namespace tunedeck::player_texts
