// The process the crash test kills: sends, downloads, deletes and reorders songs on a store, and formats the
// internal memory and makes its folder again, each in its own Open/Close bracket, until it is killed. Before
// each operation it appends a line saying what it is about to do to a log, and "done" once the bracket is
// closed, so the test knows what the store may hold.
//
// usage: player_transfer_loop STORE LOG TARGET SEED SOURCE...
// A song's name is "<source index>#<serial>"; it writes one byte to standard output once it runs.

#include "emulated_player.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>

using namespace Qt::StringLiterals;

namespace {

using tunedeck::DeviceError;
using tunedeck::EmulatedPlayer;

constexpr int kFewestSongs = 2;
constexpr int kMostSongs = 5;

// One write per line, appended, so a kill leaves each line whole or absent.
void logLine(int log, const QByteArray& line) {
    const QByteArray whole = line + '\n';
    if (::write(log, whole.constData(), whole.size()) != whole.size())
        std::abort();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 6) {
        std::fputs("usage: player_transfer_loop STORE LOG TARGET SEED SOURCE...\n", stderr);
        return 2;
    }
    const QString target = args[3];
    const unsigned seed = args[4].toUInt();
    const QStringList sources = args.mid(5);
    const int log = ::open(QFile::encodeName(args[2]).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (log < 0)
        return 2;
    std::mt19937 random(seed);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    EmulatedPlayer player(args[1]);
    if (::write(STDOUT_FILENO, "r", 1) != 1)
        return 2;
    try {
        for (int serial = 0;; ++serial) {
            player.Open();
            const bool hasFolder = !player.Folders(0).empty();
            const int songs = hasFolder ? static_cast<int>(player.Songs(0, 0).size()) : 0;
            // Between the fewest and the most songs, any operation; outside, one that moves back. A format
            // empties the memory and the next bracket makes its folder again.
            const int operation = !hasFolder             ? 5
                                  : songs < kFewestSongs ? 0
                                  : songs >= kMostSongs  ? 1 + below(4)
                                                         : below(5);
            switch (operation) {
                case 0: {
                    const int source = below(static_cast<int>(sources.size()));
                    const QString name = QStringLiteral("%1#%2-%3").arg(source).arg(seed).arg(serial);
                    logLine(log, "add " + name.toUtf8());
                    player.AddSong(0, name, sources[source], u"0"_s);
                    break;
                }
                case 1: {
                    const int song = below(songs);
                    logLine(log, "get " + QByteArray::number(song));
                    player.GetSong(0, song, target, u"0"_s);
                    break;
                }
                case 2: {
                    const int song = below(songs);
                    logLine(log, "delete " + QByteArray::number(song));
                    player.DeleteSong(0, song, u"0"_s);
                    break;
                }
                case 3: {
                    const int a = below(songs);
                    const int b = below(songs);
                    logLine(log, "swap " + QByteArray::number(a) + ' ' + QByteArray::number(b));
                    player.SwapSong(0, a, b, u"0"_s);
                    break;
                }
                case 4:
                    logLine(log, "format");
                    player.Format(u"0"_s);
                    break;
                default:
                    logLine(log, "folder");
                    player.AddFolder(QStringLiteral("MUSIC"), u"0"_s);
                    break;
            }
            player.Close();
            logLine(log, "done");
        }
    } catch (const DeviceError& error) {
        std::fprintf(stderr, "player_transfer_loop: %s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
}
