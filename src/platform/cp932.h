// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 932 (Windows Shift-JIS with the NEC and IBM extensions), the encoding of every text that music
// files and the settings file hold. Both directions are stateless: each call converts its own bytes only.
namespace tunedeck::cp932 {

// Bytes that name no character decode to U+FFFD, one per undecodable byte or pair.
QString decode(QByteArrayView bytes);

// Characters without a code page 932 form encode to "?", as Windows writes them.
QByteArray encode(QStringView text);

// True for the first byte of a two-byte character.
constexpr bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of `bytes` of at most `limit` bytes that does not end inside a two-byte character.
QByteArrayView prefixAtCharacterBoundary(QByteArrayView bytes, qsizetype limit);

}  // namespace tunedeck::cp932
