// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the seed corpus of each fuzz target into <folder>/<target>: music files from the test generators,
// and formats and settings files laid out as the targets take their input apart.
#include "cp932.h"
#include "music_files.h"

#include <QDir>
#include <QString>

#include <cstdio>

using namespace Qt::StringLiterals;

using namespace tunedeck;
using namespace tunedeck::testing;

namespace {

void writeSeeds(const QString& folder, const QList<QByteArray>& seeds) {
    QDir().mkpath(folder);
    for (qsizetype i = 0; i < seeds.size(); ++i)
        writeFile(folder + QStringLiteral("/seed%1").arg(i), seeds[i]);
}

QList<QByteArray> musicFiles() {
    const QByteArray info =
        listChunk({riffChunk("IART", cp932::encode(u"テスト楽団") + '\0'), riffChunk("INAM", "Hello"),
                   riffChunk("ICMT", "  live  "), riffChunk("INAM", "")});
    return {
        rmp3File({riffChunk("fmt ", "abc"), info, riffChunk("data", QByteArray(33, 'x')), info}),
        rmp3File({riffChunk("LIST", "INFO"), riffChunk("INAM", "next")}),
        rmp3File({riffChunkClaiming("LIST", 40, "INFO" + riffChunkClaiming("IART", 6, "a"))}),
        rmp3File({riffChunkClaiming("data", 0x80000000, "ab")}),
        mp3File({.title = cp932::encode(u"夜明け"), .artist = "Artist", .year = "1999", .track = 3}, 200),
        mp3File({.title = "Title", .comment = "Comment", .padding = ' '}, 0).first(70),
    };
}

// Strings for FuzzedDataProvider::ConsumeRandomLengthString end at a backslash and one more character.
QByteArray providerStrings(const QList<QByteArray>& strings) {
    QByteArray bytes;
    for (const QByteArray& s : strings)
        bytes += s + "\\ ";
    return bytes;
}

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    writeSeeds(root + u"/tag_readers_fuzz"_s, musicFiles());
    const QByteArray fields =
        providerStrings({"Artist", cp932::encode(u"タイトル"), "Album", "1999", "Note", "/music/song.mp3"});
    writeSeeds(
        root + u"/title_format_fuzz"_s,
        {fields + utf16(u"%1 - %2"_s), fields + utf16(u"%a%B%%%3%4%5%x%"_s), fields + utf16(u"【%2】"_s)});
    const QByteArray profile =
        "[tunedeck]\r\nDisplayFormat=%1 - %2\r\n; comment\r\nSeparate=-2000x\r\n[other]\r\n";
    writeSeeds(root + u"/settings_file_fuzz"_s,
               {providerStrings({"tunedeck", "DisplayFormat", "x"}) + profile,
                providerStrings({"TUNEDECK", "Separate", "12"}) + profile,
                providerStrings({"new", "Key", ""}) + profile});
    return 0;
}
