#include "emulated_player.h"
#include "player_fixture.h"
#include "player_texts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

class StoreRecoveryTest : public PlayerTest {
  protected:
    // A store with one song in the first folder of the internal memory; returns that song's data file name.
    QString storeWithOneSong() {
        EmulatedPlayer player(storePath());
        player.Open();
        player.AddSong(0, u"kept"_s, writeSource(u"kept.mp3"_s, songBytes(100, 1)), u"0"_s);
        player.Close();
        PlayerStore store(storePath());
        store.open();
        return store.catalogue(Memory::Internal).folders.at(0).songs.at(0).dataFile;
    }

    void writeStoreFile(const QString& name, const QByteArray& bytes) const {
        QFile file(storePath() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

TEST_F(StoreRecoveryTest, CrashLeavesTheOldCatalogueAndLeftoversThatAreSwept) {
    storeWithOneSong();
    const auto before = storeFiles(storePath());
    const QByteArray lostBytes = songBytes(2000, 2);
    const QString source = writeSource(u"lost.mp3"_s, lostBytes);

    EXPECT_EXIT(
        {
            EmulatedPlayer player(storePath(), {.afterSongData = [] { std::_Exit(3); }});
            player.Open();
            player.AddSong(0, u"lost"_s, source, u"0"_s);
        },
        ::testing::ExitedWithCode(3), "");

    auto after = storeFiles(storePath());
    ASSERT_EQ(after.size(), before.size() + 1);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.take(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(after.first() == lostBytes) << "the orphan holds the song's bytes";

    // A crash while a catalogue is being replaced leaves QSaveFile's temporary file beside it.
    writeStoreFile(u"memory0.json.Ab12Cd"_s, "{\"vers");

    // The crashed process's lock is stale; opening takes it over and sweeps the orphan and the temporary
    // file.
    EmulatedPlayer player(storePath());
    player.Open();
    ASSERT_EQ(player.Songs(0, 0).size(), 1u);
    EXPECT_EQ(player.Songs(0, 0)[0].name, QStringLiteral("kept"));
    EXPECT_EQ(storeFiles(storePath()), before);
}

// A process killed between creating the lock file and writing its id into it leaves the file empty. The
// store opens over it, but not while the one who made it still holds its native lock, about to write.
TEST_F(StoreRecoveryTest, EmptyLockIsTakenOverOnlyWhenNobodyHoldsIt) {
    storeWithOneSong();
    writeStoreFile(u"lock"_s, {});
    const int owner = ::open(QFile::encodeName(storePath() + u"/lock"_s).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(owner, LOCK_EX | LOCK_NB), 0);
    EmulatedPlayer player(storePath());
    try {
        player.Open();
        ADD_FAILURE() << "opened over a lock whose owner is alive";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kInUse);
    }
    ::close(owner);
    ASSERT_NO_THROW(player.Open());
    EXPECT_EQ(player.Songs(0, 0).size(), 1u);
}

// A data file cut short or removed behind the player's back: the store still opens, only that song is
// refused, and no download is begun.
TEST_F(StoreRecoveryTest, SongDataCutShortIsRefusedAsDamageWhenReadBack) {
    const QString dataFile = storeWithOneSong();
    for (const bool missing : {false, true}) {
        SCOPED_TRACE(missing ? "missing" : "cut short");
        const QString data = dataPath() + QLatin1Char('/') + dataFile;
        if (missing)
            ASSERT_TRUE(QFile::remove(data));
        else
            ASSERT_TRUE(QFile(data).resize(40));
        EmulatedPlayer player(storePath());
        player.Open();
        ASSERT_EQ(player.Songs(0, 0).size(), 1u);
        const QString target = root() + u"/out.mp3"_s;
        try {
            player.GetSong(0, 0, target, u"0"_s);
            ADD_FAILURE() << "a damaged song was read back";
        } catch (const DeviceError& error) {
            EXPECT_EQ(error.description(), player_texts::kStoreDamaged + dataFile);
        }
        EXPECT_FALSE(QFile::exists(target));
    }
}

QByteArray withSongs(const QJsonArray& songs) {
    const QJsonObject folder{{u"name"_s, u"f"_s}, {u"display"_s, u""_s}, {u"songs"_s, songs}};
    return QJsonDocument(QJsonObject{{u"version"_s, 1}, {u"folders"_s, QJsonArray{folder}}}).toJson();
}

QJsonObject song(const QString& dataFile, qint64 size = 100) {
    return {{u"name"_s, u"s"_s}, {u"size"_s, size}, {u"data"_s, dataFile}, {u"display"_s, u""_s}};
}

struct Damage {
    const char* what;
    QString file;  // the catalogue named in the refusal
    std::function<QByteArray(const QString& dataFile)> bytes;
};

void PrintTo(const Damage& row, std::ostream* os) {
    *os << row.what;
}

class DamageTest : public StoreRecoveryTest, public ::testing::WithParamInterface<Damage> {};

// A damaged store is refused as a whole, and nothing is swept: its song data may still be rescued.
TEST_P(DamageTest, OpenRefusesAndTouchesNothing) {
    const QString dataFile = storeWithOneSong();
    writeStoreFile(GetParam().file, GetParam().bytes(dataFile));
    const auto before = storeFiles(storePath());

    EmulatedPlayer player(storePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            player.Open();
            ADD_FAILURE() << "a damaged store opened";
        } catch (const DeviceError& error) {
            // The second attempt finds the same damage, not a lock left behind.
            EXPECT_EQ(error.description(), player_texts::kStoreDamaged + GetParam().file);
        }
    }
    EXPECT_EQ(storeFiles(storePath()), before);
}

const Damage kDamages[] = {
    {"not JSON", u"memory0.json"_s,
     [](const QString&) { return QByteArray("{\"version\": 1, \"folders\": ["); }},
    {"not an object", u"memory0.json"_s, [](const QString&) { return QByteArray("[]"); }},
    {"unknown version", u"memory0.json"_s,
     [](const QString&) { return QByteArray(R"({"version": 2, "folders": []})"); }},
    {"folder without songs", u"memory0.json"_s,
     [](const QString&) {
         return QByteArray(R"({"version": 1, "folders": [{"name": "f", "display": ""}]})");
     }},
    {"data file reaching out of the store", u"memory0.json"_s,
     [](const QString&) { return withSongs({song(u"../../../etc/passwd"_s)}); }},
    {"negative size", u"memory0.json"_s, [](const QString& data) { return withSongs({song(data, -5)}); }},
    {"fractional size", u"memory0.json"_s,
     [](const QString& data) {
         return withSongs(
             {QJsonObject{{u"name"_s, u"s"_s}, {u"size"_s, 1.5}, {u"data"_s, data}, {u"display"_s, u""_s}}});
     }},
    {"display not base64", u"memory0.json"_s,
     [](const QString& data) {
         return withSongs({QJsonObject{
             {u"name"_s, u"s"_s}, {u"size"_s, 100}, {u"data"_s, data}, {u"display"_s, u"*!*"_s}}});
     }},
    {"two songs on one data file", u"memory0.json"_s,
     [](const QString& data) {
         return withSongs({song(data), song(data)});
     }},
    {"more than the memory holds", u"memory0.json"_s,
     [](const QString& data) { return withSongs({song(data, 64LL * 1024 * 1024 + 1)}); }},
    {"card naming the internal memory's data", u"memory1.json"_s,
     [](const QString& data) { return withSongs({song(data)}); }},
    {"device state not JSON", u"device.json"_s, [](const QString&) { return QByteArray("\x00\xff", 2); }},
    {"device state without the card", u"device.json"_s,
     [](const QString&) { return QByteArray(R"({"version": 1, "connected": true})"); }},
};

INSTANTIATE_TEST_SUITE_P(Damages, DamageTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             std::string name = info.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             std::replace(name.begin(), name.end(), '\'', '_');
                             return name;
                         });

TEST_F(StoreRecoveryTest, MissingCatalogueInAnUsedStoreIsDamageNotANewStore) {
    storeWithOneSong();
    ASSERT_TRUE(QFile::remove(storePath() + u"/memory0.json"_s));
    EmulatedPlayer player(storePath());
    try {
        player.Open();
        FAIL() << "opened without a catalogue";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kStoreDamaged + u"memory0.json"_s);
    }
    EXPECT_EQ(QDir(dataPath()).entryList(QDir::Files).size(), 1);
}

struct CutSetUp {
    const char* what;
    QMap<QString, QByteArray> files;  // beside an empty data folder; "fresh" stands for a new store's bytes
    bool redone;                      // set up again, or refused as damage
};

// A crash while a new store is set up leaves part of it. Set-up writes the device state last, so what it left
// without one is set up again; anything it could not have written keeps the store refused.
TEST_F(StoreRecoveryTest, SetUpCutShortIsDoneAgain) {
    const QString freshStore = root() + u"/fresh"_s;
    EmulatedPlayer(freshStore).Open();
    const auto fresh = [&](const QString& name) { return readFile(freshStore + QLatin1Char('/') + name); };
    const QByteArray songInMusic =
        withSongs({song(u"0123456789abcdef0123456789abcdef.song"_s)}).replace("\"f\"", "\"MUSIC\"");
    const CutSetUp rows[] = {
        {"nothing written yet", {}, true},
        {"the internal catalogue written", {{u"memory0.json"_s, fresh(u"memory0.json"_s)}}, true},
        {"both catalogues written",
         {{u"memory0.json"_s, fresh(u"memory0.json"_s)}, {u"memory1.json"_s, fresh(u"memory1.json"_s)}},
         true},
        {"a catalogue write under way",
         {{u"memory0.json"_s, fresh(u"memory0.json"_s)}, {u"memory1.json.Ab12Cd"_s, "{\"vers"}},
         true},
        {"a catalogue with a song", {{u"memory0.json"_s, songInMusic}}, false},
        {"a catalogue with another folder", {{u"memory0.json"_s, withSongs({})}}, false},
        {"an unknown file", {{u"notes.txt"_s, "x"}}, false},
    };
    for (const CutSetUp& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(QDir(storePath()).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(dataPath()));
        for (auto it = row.files.cbegin(); it != row.files.cend(); ++it)
            writeStoreFile(it.key(), it.value());
        EmulatedPlayer player(storePath());
        if (!row.redone) {
            EXPECT_THROW(player.Open(), DeviceError);
            continue;
        }
        ASSERT_NO_THROW(player.Open());
        ASSERT_EQ(player.Folders(0).size(), 1u);
        EXPECT_EQ(player.Folders(0)[0].name, PlayerStore::kFirstFolderName);
        EXPECT_EQ(player.ExtFlash(), 1);
        EXPECT_THAT(QDir(storePath()).entryList(QDir::Files),
                    ::testing::UnorderedElementsAre(u"device.json"_s, u"lock"_s, u"memory0.json"_s,
                                                    u"memory1.json"_s));
    }
}

}  // namespace
}  // namespace tunedeck::testing
