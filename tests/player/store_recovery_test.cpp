#include "player_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <random>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// Sends, downloads, deletes and reorders songs, and formats the internal memory and makes its folder again,
// each in its own bracket, until SIGKILL ends the process: from a timer after `microseconds`, wherever it is
// then, or now and then at the moment a song's data is in the store and no catalogue names it yet. Before
// each operation it appends to `log` what it is about to do, and "done" once the bracket is closed, so the
// test knows what the store may hold. A song's name is "<source index>#<seed>-<serial>".
void transferUntilKilled(const QString& store, const QString& target, const QStringList& sources,
                         const QString& log, unsigned seed, long microseconds) {
    const int out = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    std::mt19937 random(seed);
    const auto below = [&](int n) { return static_cast<int>(random() % std::max(n, 1)); };
    EmulatedPlayer player(store, {.afterSongData = [=] {
                              if (seed % 8 == 0)
                                  ::raise(SIGKILL);
                          }});
    sigevent event{.sigev_signo = SIGKILL, .sigev_notify = SIGEV_SIGNAL};
    const itimerspec when{.it_value = {microseconds / 1'000'000, microseconds % 1'000'000 * 1000 + 1}};
    timer_t timer;
    if (out < 0 || ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 ||
        ::timer_settime(timer, 0, &when, nullptr) != 0)
        return;
    for (int serial = 0;; ++serial) {
        player.Open();
        const bool hasFolder = !player.Folders(0).empty();
        const int songs = hasFolder ? static_cast<int>(player.Songs(0, 0).size()) : 0;
        // Two to five songs: any operation; fewer or more: one that moves back. A format empties the memory
        // and the next bracket makes its folder again. Downloads come twice as often, so that kills find one
        // writing its target.
        const int operation = !hasFolder ? 5
                              : songs < 2
                                  ? 0
                                  : std::array{0, 1, 1, 2, 3, 4}[songs >= 5 ? 1 + below(5) : below(6)];
        const int a = below(songs);
        const int b = below(songs);
        const int source = below(static_cast<int>(sources.size()));
        const QString name = QStringLiteral("%1#%2-%3").arg(source).arg(seed).arg(serial);
        const std::pair<QByteArray, std::function<void()>> operations[] = {
            {"add " + name.toUtf8(), [&] { player.AddSong(0, name, sources[source], u"0"_s); }},
            {"get " + QByteArray::number(a), [&] { player.GetSong(0, a, target, u"0"_s); }},
            {"delete " + QByteArray::number(a), [&] { player.DeleteSong(0, a, u"0"_s); }},
            {"swap " + QByteArray::number(a) + ' ' + QByteArray::number(b),
             [&] { player.SwapSong(0, a, b, u"0"_s); }},
            {"format", [&] { player.Format(u"0"_s); }},
            {"folder", [&] { player.AddFolder(u"MUSIC"_s, u"0"_s); }},
        };
        // One write per line, so a kill leaves each line whole or absent.
        const QByteArray line = operations[operation].first + '\n';
        if (::write(out, line.constData(), line.size()) != line.size())
            return;
        operations[operation].second();
        player.Close();
        if (::write(out, "done\n", 5) != 5)
            return;
    }
}

// What the store holds as the transfer loop tells it: whether the internal memory has its folder, the
// folder's songs by name, and the download target.
struct Model {
    bool folder = true;
    QStringList songs;
    QByteArray target;
    bool operator==(const Model&) const = default;
};

// `model` after the loop's operation `line`; `bytesOf` gives a song's bytes from its name.
Model applied(Model model, const QByteArray& line, const std::function<QByteArray(const QString&)>& bytesOf) {
    const QList<QByteArray> words = line.split(' ');
    if (words[0] == "add")
        model.songs << QString::fromUtf8(words[1]);
    else if (words[0] == "get")
        model.target = bytesOf(model.songs.at(words[1].toInt()));
    else if (words[0] == "delete")
        model.songs.removeAt(words[1].toInt());
    else if (words[0] == "swap")
        model.songs.swapItemsAt(words[1].toInt(), words[2].toInt());
    else
        model = {.folder = words[0] == "folder", .songs = {}, .target = model.target};
    return model;
}

// A transfer or format killed at any moment, in Open and Close too, leaves a store that opens (the dead
// process's lock is taken over, even one it left empty) with the catalogue from before or after the
// operation, naming only whole songs; the data files no catalogue names and the temporary files of writes cut
// short are swept, and the download target holds the old file or the whole song. TUNEDECK_CRASH_SEED repeats
// a failed run's operations and delays.
TEST_F(PlayerTest, KilledTransfersLeaveTheStoreBeforeOrAfterTheOperation) {
    const QByteArray given = qgetenv("TUNEDECK_CRASH_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    SCOPED_TRACE("TUNEDECK_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 draw(seed);
    // One song copied in a single read, and two in several, which a kill can cut.
    const QByteArray bytes[] = {songBytes(700, 0), songBytes(1024 * 1024 + 5, 1),
                                songBytes(8 * 1024 * 1024, 2)};
    const QStringList sources{writeSource(u"0"_s, bytes[0]), writeSource(u"1"_s, bytes[1]),
                              writeSource(u"2"_s, bytes[2])};
    const auto bytesOf = [&](const QString& name) { return bytes[name.section(u'#', 0, 0).toInt()]; };
    Model model{.folder = true, .songs = {}, .target = songBytes(5000, 9)};
    const QString target = writeSource(u"download.mp3"_s, model.target), log = root() + u"/log"_s;
    EmulatedPlayer(storePath()).Open();  // set up before the first kill: a set-up cut short has its own test
    int inside = 0;
    for (int kill = 0; kill < 40; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const auto [runSeed, delay] = std::pair{draw(), draw() % 150'000};
        EXPECT_EXIT(transferUntilKilled(storePath(), target, sources, log, runSeed, delay),
                    ::testing::KilledBySignal(SIGKILL), "");
        std::optional<QByteArray> unfinished;
        for (const QByteArray& line : readFile(log).split('\n'))
            if (line == "done")
                model = applied(model, *std::exchange(unfinished, std::nullopt), bytesOf);
            else if (!line.isEmpty())
                unfinished = line;
        const Model after = unfinished ? applied(model, *unfinished, bytesOf) : model;
        inside += unfinished ? 1 : 0;
        // Left by a kill in the middle of a catalogue write, or between creating the lock file and writing
        // it.
        writeFile(storePath() + u"/memory0.json.Ab12Cd"_s, "{\"vers");
        if (kill % 2 == 0)
            QFile(storePath() + u"/lock"_s).resize(0);

        PlayerStore store(storePath());
        ASSERT_NO_THROW(store.open());
        EXPECT_EQ(
            QDir(storePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{u"data"_s, u"device.json"_s, u"lock"_s, u"memory0.json"_s, u"memory1.json"_s}));
        const std::vector<StoredFolder>& folders = store.catalogue(Memory::Internal).folders;
        Model found{.folder = !folders.empty(), .songs = {}, .target = readFile(target)};
        QStringList named;
        for (const StoredSong& song : found.folder ? folders[0].songs : std::vector<StoredSong>{}) {
            found.songs << song.name;
            named << song.dataFile;
            EXPECT_TRUE(readFile(dataPath() + u'/' + song.dataFile) == bytesOf(song.name))
                << song.name.toStdString();
        }
        named.sort();
        EXPECT_EQ(QDir(dataPath()).entryList(QDir::Files | QDir::Hidden), named) << "unnamed data kept";
        ASSERT_TRUE(found == model || found == after)
            << "neither before nor after " << unfinished.value_or("").data();
        model = found;
    }
    EXPECT_GE(inside, 20) << "too few kills landed inside an operation to say anything";
}

// A catalogue of one folder holding `songs`, and a song of it.
QByteArray catalogue(const QByteArray& songs, const QByteArray& folder = "f") {
    return R"({"version": 1, "folders": [{"name": ")" + folder + R"(", "display": "", "songs": [)" + songs +
           "]}]}";
}
QByteArray song(const QString& data, const QByteArray& size = "100", const QByteArray& display = "") {
    return R"({"name": "s", "size": )" + size + R"(, "data": ")" + data.toUtf8() + R"(", "display": ")" +
           display + "\"}";
}

// A store is opened as a crash or damage left it. A set-up cut short is done again: set-up writes the device
// state last, so a store without one holds at most the rest of a fresh store and a temporary file. A damaged
// store is refused as a whole, again on a second try (no lock kept), and nothing in it is swept: its songs
// may still be rescued.
TEST_F(PlayerTest, StoreHalfSetUpIsSetUpAgainAndADamagedOneIsRefused) {
    EmulatedPlayer player(root() + u"/used"_s);
    player.Open();
    const QMap<QString, QByteArray> fresh = storeFiles(root() + u"/used"_s);
    player.AddSong(0, u"kept"_s, writeSource(u"kept.mp3"_s, songBytes(100, 1)), u"0"_s);
    player.Close();
    const QMap<QString, QByteArray> healthy = storeFiles(root() + u"/used"_s);
    const QString data = healthy.firstKey().mid(5);  // "data/..." sorts first
    const auto used = [&](const QString& file, const QByteArray& bytes) {
        QMap<QString, QByteArray> files = healthy;
        files[file] = bytes;  // a null one: the file is missing
        return files;
    };
    const QString device = player_texts::kStoreDamaged + u"device.json"_s;
    const QString internal = player_texts::kStoreDamaged + u"memory0.json"_s;
    // The files of a store whose data folder starts empty, and Open's refusal; none: the store is set up
    // again.
    const std::pair<QMap<QString, QByteArray>, QString> stores[] = {
        {{}, {}},
        {{{u"memory0.json"_s, fresh[u"memory0.json"_s]}, {u"memory1.json.Ab12Cd"_s, "{\"vers"}}, {}},
        {{{u"memory0.json"_s, fresh[u"memory0.json"_s]}, {u"memory1.json"_s, fresh[u"memory1.json"_s]}}, {}},
        {{{u"memory0.json"_s, catalogue(song(data), "MUSIC")}}, device},
        {{{u"memory0.json"_s, catalogue({})}}, device},
        {{{u"notes.txt"_s, "x"}}, device},
        {used(u"device.json"_s, R"({"version": 1, "connected": true})"), device},
        {used(u"memory0.json"_s, {}), internal},
        {used(u"memory0.json"_s, R"({"version": 1, "folders": [)"), internal},
        {used(u"memory0.json"_s, R"({"version": 2, "folders": []})"), internal},
        {used(u"memory0.json"_s, catalogue(song(u"../../../etc/passwd"_s))), internal},
        {used(u"memory0.json"_s, catalogue(song(data, "100", "*!*"))), internal},
        {used(u"memory0.json"_s, catalogue(song(data) + ',' + song(data))), internal},
        {used(u"memory0.json"_s, catalogue(song(data, "67108865"))), internal},
        {used(u"memory1.json"_s, catalogue(song(data))), player_texts::kStoreDamaged + u"memory1.json"_s},
    };
    for (const auto& [files, refusal] : stores) {
        SCOPED_TRACE(QStringList(files.keys()).join(u' ').toStdString() + ": " + refusal.toStdString());
        ASSERT_TRUE(QDir(storePath()).removeRecursively() && QDir().mkpath(dataPath()));
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            if (!it.value().isNull())
                writeFile(storePath() + u'/' + it.key(), it.value());
        const auto before = storeFiles(storePath());
        EmulatedPlayer again(storePath());
        if (refusal.isEmpty()) {
            again.Open();
            EXPECT_EQ(storeFiles(storePath()), fresh);
            continue;
        }
        EXPECT_THAT([&] { again.Open(); }, refused(refusal));
        EXPECT_THAT([&] { again.Open(); }, refused(refusal));
        EXPECT_EQ(storeFiles(storePath()), before);
    }
}

}  // namespace
}  // namespace tunedeck::testing
