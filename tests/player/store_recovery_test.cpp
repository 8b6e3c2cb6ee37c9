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

namespace tunedeck::testing {
namespace {

class StoreRecoveryTest : public PlayerTest {
  protected:
    // A store with one song in the first folder of the internal memory; returns that song's data file name.
    QString storeWithOneSong() {
        EmulatedPlayer player(storePath());
        player.Open();
        player.AddSong(0, "kept", writeSource("kept.mp3", songBytes(100, 1)), "0");
        player.Close();
        PlayerStore store(storePath());
        store.open();
        return store.catalogue(Memory::Internal).folders.at(0).songs.at(0).dataFile;
    }

    void writeStoreFile(const QString& name, const QByteArray& bytes) const {
        QFile file(storePath() + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

TEST_F(StoreRecoveryTest, CrashLeavesTheOldCatalogueAndLeftoversThatAreSwept) {
    storeWithOneSong();
    const auto before = storeFiles(storePath());
    const QByteArray lostBytes = songBytes(2000, 2);
    const QString source = writeSource("lost.mp3", lostBytes);

    EXPECT_EXIT(
        {
            EmulatedPlayer player(storePath(), {.afterSongData = [] { std::_Exit(3); }});
            player.Open();
            player.AddSong(0, "lost", source, "0");
        },
        ::testing::ExitedWithCode(3), "");

    auto after = storeFiles(storePath());
    ASSERT_EQ(after.size(), before.size() + 1);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.take(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(after.first() == lostBytes) << "the orphan holds the song's bytes";

    // A crash while a catalogue is being replaced leaves QSaveFile's temporary file beside it.
    writeStoreFile("memory0.json.Ab12Cd", "{\"vers");

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
    writeStoreFile("lock", {});
    const int owner = ::open(QFile::encodeName(storePath() + "/lock").constData(), O_RDONLY | O_CLOEXEC);
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
        const QString data = dataPath() + '/' + dataFile;
        if (missing)
            ASSERT_TRUE(QFile::remove(data));
        else
            ASSERT_TRUE(QFile(data).resize(40));
        EmulatedPlayer player(storePath());
        player.Open();
        ASSERT_EQ(player.Songs(0, 0).size(), 1u);
        const QString target = root() + "/out.mp3";
        try {
            player.GetSong(0, 0, target, "0");
            ADD_FAILURE() << "a damaged song was read back";
        } catch (const DeviceError& error) {
            EXPECT_EQ(error.description(), player_texts::kStoreDamaged + dataFile);
        }
        EXPECT_FALSE(QFile::exists(target));
    }
}

QByteArray withSongs(const QJsonArray& songs) {
    const QJsonObject folder{{"name", "f"}, {"display", ""}, {"songs", songs}};
    return QJsonDocument(QJsonObject{{"version", 1}, {"folders", QJsonArray{folder}}}).toJson();
}

QJsonObject song(const QString& dataFile, qint64 size = 100) {
    return {{"name", "s"}, {"size", size}, {"data", dataFile}, {"display", ""}};
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
    {"not JSON", "memory0.json",
     [](const QString&) { return QByteArray("{\"version\": 1, \"folders\": ["); }},
    {"not an object", "memory0.json", [](const QString&) { return QByteArray("[]"); }},
    {"unknown version", "memory0.json",
     [](const QString&) { return QByteArray(R"({"version": 2, "folders": []})"); }},
    {"folder without songs", "memory0.json",
     [](const QString&) {
         return QByteArray(R"({"version": 1, "folders": [{"name": "f", "display": ""}]})");
     }},
    {"data file reaching out of the store", "memory0.json",
     [](const QString&) { return withSongs({song("../../../etc/passwd")}); }},
    {"negative size", "memory0.json", [](const QString& data) { return withSongs({song(data, -5)}); }},
    {"fractional size", "memory0.json",
     [](const QString& data) {
         return withSongs({QJsonObject{{"name", "s"}, {"size", 1.5}, {"data", data}, {"display", ""}}});
     }},
    {"display not base64", "memory0.json",
     [](const QString& data) {
         return withSongs({QJsonObject{{"name", "s"}, {"size", 100}, {"data", data}, {"display", "*!*"}}});
     }},
    {"two songs on one data file", "memory0.json",
     [](const QString& data) {
         return withSongs({song(data), song(data)});
     }},
    {"more than the memory holds", "memory0.json",
     [](const QString& data) { return withSongs({song(data, 64LL * 1024 * 1024 + 1)}); }},
    {"card naming the internal memory's data", "memory1.json",
     [](const QString& data) { return withSongs({song(data)}); }},
    {"device state not JSON", "device.json", [](const QString&) { return QByteArray("\x00\xff", 2); }},
    {"device state without the card", "device.json",
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
    ASSERT_TRUE(QFile::remove(storePath() + "/memory0.json"));
    EmulatedPlayer player(storePath());
    try {
        player.Open();
        FAIL() << "opened without a catalogue";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kStoreDamaged + "memory0.json");
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
    const QString freshStore = root() + "/fresh";
    EmulatedPlayer(freshStore).Open();
    const auto fresh = [&](const QString& name) { return readFile(freshStore + '/' + name); };
    const QByteArray songInMusic =
        withSongs({song("0123456789abcdef0123456789abcdef.song")}).replace("\"f\"", "\"MUSIC\"");
    const CutSetUp rows[] = {
        {"nothing written yet", {}, true},
        {"the internal catalogue written", {{"memory0.json", fresh("memory0.json")}}, true},
        {"both catalogues written",
         {{"memory0.json", fresh("memory0.json")}, {"memory1.json", fresh("memory1.json")}},
         true},
        {"a catalogue write under way",
         {{"memory0.json", fresh("memory0.json")}, {"memory1.json.Ab12Cd", "{\"vers"}},
         true},
        {"a catalogue with a song", {{"memory0.json", songInMusic}}, false},
        {"a catalogue with another folder", {{"memory0.json", withSongs({})}}, false},
        {"an unknown file", {{"notes.txt", "x"}}, false},
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
                    ::testing::UnorderedElementsAre("device.json", "lock", "memory0.json", "memory1.json"));
    }
}

}  // namespace
}  // namespace tunedeck::testing
