// SPDX-License-Identifier: GPL-3.0-or-later
#include "music_folder.h"

#include "cp932.h"
#include "music_files.h"

using namespace Qt::StringLiterals;

namespace tunedeck::testing {

namespace {

QByteArray folderMp3(int n) {
    const bool japanese = n % 2 == 0;
    const QByteArray number = QByteArray::number(n);
    return mp3File(
        {
            .title = japanese ? cp932::encode(u"夜明けのテーマ ") + number : "Theme of dawn " + number,
            .artist = japanese ? cp932::encode(u"テスト楽団") : "Test Band",
            .album = japanese ? cp932::encode(u"第一集") : "First Album",
            .year = "1999",
            .comment = japanese ? cp932::encode(u"ライブ録音") : "live",
            .padding = n % 4 < 2 ? '\0' : ' ',
            .track = quint8(n % 20 + 1),
        },
        64 * 1024 - 128);
}

QByteArray folderRmp(int n) {
    const QByteArray number = QByteArray::number(n);
    return rmp3File({
        riffChunk("fmt ", QByteArray(16, '\x01')),
        listChunk({
            riffChunk("IART", cp932::encode(u"合唱団") + '\0'),
            riffChunk("INAM", "Song " + number),  // odd sizes for odd-length numbers
            riffChunk("IPRD", QByteArray("Album\0", 6)),
            riffChunk("ICMT", QByteArray(n % 3 + 1, 'c')),
        }),
        riffChunk("data", QByteArray(32 * 1024 + n % 2, '\x11')),
    });
}

}  // namespace

MusicFolder writeMusicFolder(const QString& folder, int fileCount) {
    MusicFolder result;
    for (int n = 0; n < fileCount; ++n) {
        const QString base = folder + QStringLiteral("/%1").arg(n, 5, 10, QChar(u'0'));
        if (n % 10 == 9)
            result.otherFiles.append(writeFile(base + u".txt"_s, "not music " + QByteArray::number(n)));
        else if (n % 10 == 8)
            result.musicFiles.append(writeFile(base + u".rmp"_s, folderRmp(n)));
        else
            result.musicFiles.append(writeFile(base + u".mp3"_s, folderMp3(n)));
    }
    return result;
}

}  // namespace tunedeck::testing
