#include "emulated_player.h"
#include "player_fixture.h"
#include "player_texts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using ::testing::ElementsAre;

std::vector<QString> songNames(DeviceComponent& player, qint32 memory, qint16 folder) {
    std::vector<QString> names;
    for (const DeviceSong& song : player.Songs(memory, folder))
        names.push_back(song.name);
    return names;
}

std::vector<QString> folderNames(DeviceComponent& player, qint32 memory) {
    std::vector<QString> names;
    for (const DeviceFolder& folder : player.Folders(memory))
        names.push_back(folder.name);
    return names;
}

void setState(const QString& store, const DeviceState& state) {
    PlayerStore raw(store);
    raw.open();
    raw.commitState(state);
}

class EmulatedPlayerTest : public PlayerTest {
  protected:
    // Sends songs "A", "B", ... of distinct bytes to the first folder of the internal memory.
    void addSongs(int count, qint64 size = 1000) {
        for (int i = 0; i < count; ++i) {
            const QString title(QChar('A' + i));
            sources_.insert(title, songBytes(size + i, i));
            player.AddSong(0, title, writeSource(title + u".mp3"_s, sources_[title]), u"0"_s);
        }
    }

    QByteArray fetched(qint32 song, qint32 folder = 0) {
        const QString target = root() + QStringLiteral("/fetched.mp3");
        player.GetSong(folder, song, target, u"0"_s);
        return readFile(target);
    }

    // The first folder holds exactly the songs `titles`, in that order, each with its own size and bytes.
    void expectSongs(const std::vector<QString>& titles) {
        const std::vector<DeviceSong> songs = player.Songs(0, 0);
        ASSERT_EQ(songs.size(), titles.size());
        for (size_t i = 0; i < titles.size(); ++i) {
            SCOPED_TRACE(titles[i].toStdString());
            EXPECT_EQ(songs[i].name, titles[i]);
            EXPECT_EQ(songs[i].size, sources_[titles[i]].size());
            EXPECT_TRUE(fetched(static_cast<qint32>(i)) == sources_[titles[i]]);
        }
    }

    int dataFileCount() const { return QDir(dataPath()).entryList(QDir::Files).size(); }

    EmulatedPlayer player{storePath()};
    QMap<QString, QByteArray> sources_;
};

TEST_F(EmulatedPlayerTest, NewStoreIsConnectedWithOneEmptyFolderAndAnEmptyCard) {
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
    EXPECT_THAT(folderNames(player, 0), ElementsAre(PlayerStore::kFirstFolderName));
    EXPECT_TRUE(player.Songs(0, 0).empty());
    EXPECT_TRUE(player.Folders(1).empty());
    EXPECT_EQ(player.AvailableMemory(u"0"_s), 64 * 1024 * 1024);
    EXPECT_EQ(player.AvailableMemory(u"1"_s), 32 * 1024 * 1024);
}

TEST_F(EmulatedPlayerTest, SongComesBackByteForByteAfterReopening) {
    // Not a multiple of the copy chunk, and a target that held more bytes before.
    const QByteArray bytes = songBytes(3 * 1024 * 1024 + 7, 42);
    const QString target = writeSource(u"target.mp3"_s, songBytes(4 * 1024 * 1024, 1));
    player.Open();
    player.AddSong(0, QStringLiteral("アーティスト - 曲"), writeSource(u"song.mp3"_s, bytes), u"0"_s);
    player.Close();

    EmulatedPlayer again(storePath());
    again.Open();
    const std::vector<DeviceSong> songs = again.Songs(0, 0);
    ASSERT_EQ(songs.size(), 1u);
    EXPECT_EQ(songs[0].name, QStringLiteral("アーティスト - 曲"));
    EXPECT_EQ(songs[0].size, bytes.size());
    EXPECT_EQ(again.AvailableMemory(u"0"_s), 64 * 1024 * 1024 - bytes.size());
    again.GetSong(0, 0, target, u"0"_s);
    EXPECT_TRUE(readFile(target) == bytes);
    EXPECT_THAT(QDir(root()).entryList({u"target.mp3*"_s}, QDir::Files), ElementsAre(u"target.mp3"_s));
}

mode_t permissionsOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A download lands where the path leads, with the permissions a saved document gets, and leaves no
// temporary file behind whether it works or not.
TEST_F(EmulatedPlayerTest, DownloadsFollowLinksAndKeepPermissions) {
    const QByteArray bytes = songBytes(5000, 3);
    player.Open();
    player.AddSong(0, u"s"_s, writeSource(u"s.mp3"_s, bytes), u"0"_s);
    const mode_t oldMask = ::umask(027);
    const auto restoreMask = qScopeGuard([oldMask] { ::umask(oldMask); });

    const QString fresh = root() + u"/fresh.mp3"_s;
    player.GetSong(0, 0, fresh, u"0"_s);
    EXPECT_EQ(permissionsOf(fresh), 0640u) << "a new file follows the umask";

    const QString kept = writeSource(u"kept.mp3"_s, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0604), 0);
    player.GetSong(0, 0, kept, u"0"_s);
    EXPECT_TRUE(readFile(kept) == bytes);
    EXPECT_EQ(permissionsOf(kept), 0604u) << "a replaced file keeps its permissions";

    const QString link = root() + u"/link.mp3"_s;
    ASSERT_TRUE(QFile::link(kept, link));
    player.GetSong(0, 0, link, u"0"_s);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readFile(kept) == songBytes(5000, 3));

    const QString intoStore = root() + u"/store-link.json"_s;
    ASSERT_TRUE(QFile::link(storePath() + u"/memory0.json"_s, intoStore));
    const auto storeBefore = storeFiles(storePath());
    EXPECT_THROW(player.GetSong(0, 0, intoStore, u"0"_s), DeviceError);
    EXPECT_EQ(storeFiles(storePath()), storeBefore) << "a link must not lead a download into the store";

    EXPECT_THROW(player.GetSong(0, 0, root(), u"0"_s), DeviceError);
    EXPECT_THAT(QDir(root() + u"/.."_s).entryList({u"*.part"_s}), ::testing::IsEmpty());
    EXPECT_THAT(QDir(root()).entryList({u"*.part"_s}), ::testing::IsEmpty());
}

TEST_F(EmulatedPlayerTest, DeletingWithCorrectedIndicesLeavesTheRightSongs) {
    player.Open();
    addSongs(5);
    // Rows 2, 3 and 5 selected: each deletion moves the later songs up by one.
    for (qint32 index : {1, 1, 2})
        player.DeleteSong(0, index, u"0"_s);
    expectSongs({u"A"_s, u"D"_s});
    EXPECT_EQ(dataFileCount(), 2);
    EXPECT_EQ(player.AvailableMemory(u"0"_s),
              64 * 1024 * 1024 - sources_[u"A"_s].size() - sources_[u"D"_s].size());
}

TEST_F(EmulatedPlayerTest, SwapExchangesTwoSongsAndLeavesTheRest) {
    player.Open();
    addSongs(5);
    player.SwapSong(0, 0, 3, u"0"_s);
    expectSongs({u"D"_s, u"B"_s, u"C"_s, u"A"_s, u"E"_s});
}

TEST_F(EmulatedPlayerTest, FoldersAreAppendedAndRemovedWithTheirSongs) {
    player.Open();
    player.AddFolder(u"second"_s, u"0"_s);
    player.AddFolder(u"third"_s, u"0"_s);
    const QByteArray bytes = songBytes(5000, 7);
    player.AddSong(1, u"in second"_s, writeSource(u"s.mp3"_s, bytes), u"0"_s);
    player.AddSong(2, u"in third"_s, writeSource(u"t.mp3"_s, bytes), u"0"_s);
    player.DeleteFolder(1, u"0"_s);
    EXPECT_THAT(folderNames(player, 0), ElementsAre(PlayerStore::kFirstFolderName, u"third"_s));
    EXPECT_THAT(songNames(player, 0, 1), ElementsAre(u"in third"_s));
    EXPECT_EQ(dataFileCount(), 1);
    EXPECT_EQ(player.AvailableMemory(u"0"_s), 64 * 1024 * 1024 - bytes.size());
}

TEST_F(EmulatedPlayerTest, FormatErasesOnlyThatMemory) {
    player.Open();
    player.AddFolder(u"card folder"_s, u"1"_s);
    player.AddSong(0, u"on card"_s, writeSource(u"c.mp3"_s, songBytes(300, 1)), u"1"_s);
    addSongs(2);
    player.Format(u"0"_s);
    EXPECT_TRUE(player.Folders(0).empty());
    EXPECT_EQ(player.AvailableMemory(u"0"_s), 64 * 1024 * 1024);
    EXPECT_THAT(songNames(player, 1, 0), ElementsAre(u"on card"_s));
    EXPECT_EQ(dataFileCount(), 1);
}

TEST_F(EmulatedPlayerTest, MemoryFillsToItsCapacityAndNoFurther) {
    player.Open();
    player.AddFolder(u"card"_s, u"1"_s);
    const QString full = writeSource(u"full.mp3"_s, songBytes(32 * 1024 * 1024, 3));
    player.AddSong(0, u"full"_s, full, u"1"_s);
    EXPECT_EQ(player.AvailableMemory(u"1"_s), 0);
    const auto before = storeFiles(storePath());
    // A file of one byte is refused before anything is written; a /proc file says it is empty and is refused
    // only once its bytes are being copied.
    for (const QString& source : {writeSource(u"byte.mp3"_s, "x"), QStringLiteral("/proc/self/status")}) {
        SCOPED_TRACE(source.toStdString());
        try {
            player.AddSong(0, u"one more"_s, source, u"1"_s);
            ADD_FAILURE() << "a full card took more bytes";
        } catch (const DeviceError& error) {
            EXPECT_EQ(error.description(), player_texts::kMemoryFull);
        }
        EXPECT_EQ(storeFiles(storePath()), before) << "a refused song left a data file or a catalogue change";
        EXPECT_EQ(player.AvailableMemory(u"1"_s), 0);
        EXPECT_THAT(songNames(player, 1, 0), ElementsAre(u"full"_s));
    }
}

TEST_F(EmulatedPlayerTest, NamesAreKeptAsDataAndNothingIsWrittenOutsideTheStore) {
    // Also a NUL, a name longer than any file name, and ones code page 932 has no bytes for.
    const QStringList names{u"../x"_s,
                            u"a/b"_s,
                            u"/tmp/evil"_s,
                            u".."_s,
                            u"/"_s,
                            u"C:\\temp\\x"_s,
                            u"名前\n改行"_s,
                            QStringLiteral("a") + QChar(0) + QStringLiteral("b"),
                            QString(300, QChar(0x3042)),
                            QString::fromUtf8("한국어 €𠮷😀")};
    player.Open();
    for (const QString& name : names) {
        player.AddFolder(name, u"0"_s);
        player.AddSong(0, name, writeSource(u"song.mp3"_s, songBytes(10, 1)), u"0"_s);
    }
    player.Close();
    QFile::remove(root() + QStringLiteral("/song.mp3"));

    EmulatedPlayer again(storePath());
    again.Open();
    std::vector<QString> folders{PlayerStore::kFirstFolderName};
    folders.insert(folders.end(), names.begin(), names.end());
    EXPECT_EQ(folderNames(again, 0), folders);
    EXPECT_EQ(songNames(again, 0, 0), std::vector<QString>(names.begin(), names.end()));
    QDirIterator it(root(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_TRUE(path == storePath() || path.startsWith(storePath() + QLatin1Char('/')))
            << path.toStdString();
    }
}

TEST_F(EmulatedPlayerTest, OnlyOneOpenAtATime) {
    EmulatedPlayer other(storePath());
    player.Open();
    try {
        other.Open();
        FAIL() << "a second instance opened a held store";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kInUse);
    }
    try {
        player.Open();
        FAIL() << "brackets nested";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kAlreadyOpen);
    }
    player.Close();
    player.Close();
    other.Open();
    EXPECT_EQ(other.ExtFlash(), 1);
}

TEST_F(EmulatedPlayerTest, DisconnectedPlayerRefusesOpenAndKeepsNoLock) {
    setState(storePath(), {.connected = false, .cardPresent = true});
    try {
        player.Open();
        FAIL() << "a disconnected player opened";
    } catch (const DeviceError& error) {
        EXPECT_EQ(error.description(), player_texts::kNotConnected);
    }
    setState(storePath(), {.connected = true, .cardPresent = true});
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
}

// Every member but Open and Close needs the device open.
TEST_F(EmulatedPlayerTest, MembersRefuseWhileNotOpen) {
    player.Open();
    player.Close();
    const QString source = writeSource(u"s.mp3"_s, "abc");
    const std::vector<std::function<void()>> calls{
        [&] { player.ExtFlash(); },
        [&] { player.Folders(0); },
        [&] { player.Songs(0, 0); },
        [&] { player.AvailableMemory(u"0"_s); },
        [&] { player.FontName(u"IPAGothic"_s); },
        [&] { player.FontSize(12); },
        [&] { player.AddSong(0, u"t"_s, source, u"0"_s); },
        [&] { player.GetSong(0, 0, root() + u"/out.mp3"_s, u"0"_s); },
        [&] { player.DeleteSong(0, 0, u"0"_s); },
        [&] { player.SwapSong(0, 0, 0, u"0"_s); },
        [&] { player.AddFolder(u"f"_s, u"0"_s); },
        [&] { player.DeleteFolder(0, u"0"_s); },
        [&] { player.Format(u"0"_s); },
    };
    const auto before = storeFiles(storePath());
    for (size_t i = 0; i < calls.size(); ++i) {
        try {
            calls[i]();
            ADD_FAILURE() << "call " << i << " worked on a closed device";
        } catch (const DeviceError& error) {
            EXPECT_EQ(error.description(), player_texts::kNotOpen) << "call " << i;
        }
    }
    EXPECT_EQ(storeFiles(storePath()), before);
}

// The sources a refused AddSong is given, made before the store is looked at.
struct Sources {
    QString small, pastFreeMemory, pastCapacity, pipe;
};

struct Refusal {
    const char* what;
    std::function<void(EmulatedPlayer&, const Sources&, const QString& root)> call;
    QString description;  // exact, or the start of it when the refusal names a path
};

void PrintTo(const Refusal& row, std::ostream* os) {
    *os << row.what;
}

class RefusalTest : public EmulatedPlayerTest, public ::testing::WithParamInterface<Refusal> {
  protected:
    QString sparseFile(const QString& name, qint64 size) const {
        const QString path = writeSource(name, {});
        QFile(path).resize(size);
        return path;
    }
    QString fifo(const QString& name) const {
        const QString path = root() + QLatin1Char('/') + name;
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }
};

// The store holds two folders with two songs each in the internal memory, a card folder with one song, and a
// card that can be taken out.
TEST_P(RefusalTest, ChangesNothing) {
    player.Open();
    player.AddFolder(u"second"_s, u"0"_s);
    for (qint16 folder : {0, 1})
        for (int song = 0; song < 2; ++song)
            player.AddSong(folder, QString::number(song),
                           writeSource(u"s.mp3"_s, songBytes(100 + song, song)), u"0"_s);
    player.AddFolder(u"card"_s, u"1"_s);
    player.AddSong(0, u"card song"_s, writeSource(u"s.mp3"_s, songBytes(1000, 9)), u"1"_s);
    player.Close();
    if (GetParam().description == player_texts::kNoCard)
        setState(storePath(), {.connected = true, .cardPresent = false});
    const Sources sources{.small = writeSource(u"x.mp3"_s, "x"),
                          .pastFreeMemory = sparseFile(u"card.mp3"_s, 32 * 1024 * 1024 - 999),
                          .pastCapacity = sparseFile(u"huge.mp3"_s, 64 * 1024 * 1024 + 1),
                          .pipe = fifo(u"pipe.mp3"_s)};
    player.Open();
    const auto before = storeFiles(storePath());
    const auto rootBefore = QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    try {
        GetParam().call(player, sources, root());
        ADD_FAILURE() << "not refused";
    } catch (const DeviceError& error) {
        EXPECT_TRUE(error.description().startsWith(GetParam().description))
            << error.description().toStdString();
    }
    EXPECT_EQ(storeFiles(storePath()), before);
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), rootBefore);
    player.Close();
    player.Open();
    EXPECT_EQ(songNames(player, 0, 1), (std::vector<QString>{u"0"_s, u"1"_s}));
}

using Call = std::function<void(EmulatedPlayer&, const Sources&, const QString&)>;

// Most refusals need neither the sources nor the folder.
Call plain(std::function<void(EmulatedPlayer&)> call) {
    return [call](EmulatedPlayer& p, const Sources&, const QString&) { call(p); };
}

const Refusal kRefusals[] = {
    {"bad memory text", plain([](EmulatedPlayer& p) { p.AvailableMemory(u"2"_s); }),
     player_texts::kBadMemory},
    {"memory text with a space", plain([](EmulatedPlayer& p) { p.Format(u" 0"_s); }),
     player_texts::kBadMemory},
    {"empty memory text", plain([](EmulatedPlayer& p) { p.AddFolder(u"x"_s, u""_s); }),
     player_texts::kBadMemory},
    {"bad memory number", plain([](EmulatedPlayer& p) { p.Folders(-1); }), player_texts::kBadMemory},
    {"folder index past the end", plain([](EmulatedPlayer& p) { p.Songs(0, 2); }),
     player_texts::kFolderOutOfRange},
    {"negative folder index", plain([](EmulatedPlayer& p) { p.DeleteFolder(-1, u"0"_s); }),
     player_texts::kFolderOutOfRange},
    {"song into a missing folder",
     [](EmulatedPlayer& p, const Sources& s, const QString&) { p.AddSong(5, u"x"_s, s.small, u"0"_s); },
     player_texts::kFolderOutOfRange},
    {"song index past the end", plain([](EmulatedPlayer& p) { p.DeleteSong(1, 2, u"0"_s); }),
     player_texts::kSongOutOfRange},
    {"negative song index",
     [](EmulatedPlayer& p, const Sources&, const QString& root) {
         p.GetSong(0, -1, root + u"/o.mp3"_s, u"0"_s);
     },
     player_texts::kSongOutOfRange},
    {"swap with a missing song", plain([](EmulatedPlayer& p) { p.SwapSong(0, 0, 2, u"0"_s); }),
     player_texts::kSongOutOfRange},
    {"file larger than the free memory",
     [](EmulatedPlayer& p, const Sources& s, const QString&) {
         p.AddSong(0, u"big"_s, s.pastFreeMemory, u"1"_s);
     },
     player_texts::kMemoryFull},
    {"file larger than the whole memory",
     [](EmulatedPlayer& p, const Sources& s, const QString&) {
         p.AddSong(0, u"big"_s, s.pastCapacity, u"0"_s);
     },
     player_texts::kMemoryFull},
    {"source is a folder",
     [](EmulatedPlayer& p, const Sources&, const QString& root) { p.AddSong(0, u"d"_s, root, u"0"_s); },
     player_texts::kUnreadableSource},
    {"source has vanished",
     [](EmulatedPlayer& p, const Sources&, const QString& root) {
         p.AddSong(0, u"v"_s, root + u"/gone.mp3"_s, u"0"_s);
     },
     player_texts::kUnreadableSource},
    {"source is a pipe",
     [](EmulatedPlayer& p, const Sources& s, const QString&) { p.AddSong(0, u"p"_s, s.pipe, u"0"_s); },
     player_texts::kUnreadableSource},
    {"empty folder name", plain([](EmulatedPlayer& p) { p.AddFolder(u""_s, u"0"_s); }),
     player_texts::kEmptyFolderName},
    {"target in a missing folder",
     [](EmulatedPlayer& p, const Sources&, const QString& root) {
         p.GetSong(0, 0, root + u"/missing/o.mp3"_s, u"0"_s);
     },
     player_texts::kUnwritableTarget},
    {"target is a folder",
     [](EmulatedPlayer& p, const Sources&, const QString& root) { p.GetSong(0, 0, root, u"0"_s); },
     player_texts::kUnwritableTarget},
    {"target inside the store",
     [](EmulatedPlayer& p, const Sources&, const QString& root) {
         p.GetSong(0, 0, root + u"/store/data/../memory0.json"_s, u"0"_s);
     },
     player_texts::kUnwritableTarget},
    {"card folders without a card", plain([](EmulatedPlayer& p) { p.Folders(1); }), player_texts::kNoCard},
    {"card free memory without a card", plain([](EmulatedPlayer& p) { p.AvailableMemory(u"1"_s); }),
     player_texts::kNoCard},
    {"song to the card without a card",
     [](EmulatedPlayer& p, const Sources& s, const QString&) { p.AddSong(0, u"x"_s, s.small, u"1"_s); },
     player_texts::kNoCard},
    {"format without a card", plain([](EmulatedPlayer& p) { p.Format(u"1"_s); }), player_texts::kNoCard},
};

INSTANTIATE_TEST_SUITE_P(Refusals, RefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             std::string name = info.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

}  // namespace
}  // namespace tunedeck::testing
