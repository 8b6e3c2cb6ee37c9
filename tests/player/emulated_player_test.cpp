#include "player_fixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using namespace player_texts;

constexpr qint64 kMiB = 1024 * 1024;

// Folders and songs in both memories, added, swapped and deleted, kept across brackets, with free memory
// following them; a format erases one memory only. Names are data: one that looks like a path reaches no
// file. Sending, downloading, deleting, reordering and formatting are also checked, over and over, by the
// crash test.
TEST_F(PlayerTest, MembersChangeTheStoreAndFreeMemoryFollows) {
    const QByteArray big = songBytes(3 * kMiB + 7, 1);  // larger than a copy chunk and no multiple of it
    const QString odd = u"../x\0名前 😀"_s;
    EmulatedPlayer player(storePath());
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 1);
    player.AddFolder(u"gone"_s, u"0"_s);
    player.AddFolder(odd, u"0"_s);
    player.AddSong(2, odd, writeSource(u"big"_s, big), u"0"_s);
    player.DeleteFolder(1, u"0"_s);
    player.AddFolder(u"card"_s, u"1"_s);
    for (const QString& title : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
        player.AddSong(0, title, writeSource(u"small"_s, "abc"), u"1"_s);
    player.SwapSong(0, 0, 3, u"1"_s);
    // Songs 2 and 3 as the window deletes them: the second deletion finds the third song moved up by one.
    player.DeleteSong(0, 1, u"1"_s);
    player.DeleteSong(0, 1, u"1"_s);
    player.Close();

    player.Open();
    ASSERT_EQ(player.Folders(0).size(), 2u);
    EXPECT_EQ(player.Folders(0)[1].name, odd);
    ASSERT_EQ(player.Songs(0, 1).size(), 1u);
    EXPECT_TRUE(player.Songs(0, 1)[0].name == odd && player.Songs(0, 1)[0].size == big.size());
    const QString target = writeSource(u"target"_s, songBytes(4 * kMiB, 2));  // replaced whole
    player.GetSong(1, 0, target, u"0"_s);
    EXPECT_TRUE(readFile(target) == big);
    EXPECT_EQ(player.AvailableMemory(u"0"_s), 64 * kMiB - big.size());
    EXPECT_EQ(player.AvailableMemory(u"1"_s), 32 * kMiB - 6);
    player.Format(u"0"_s);
    EXPECT_TRUE(player.Folders(0).empty());
    EXPECT_EQ(player.AvailableMemory(u"0"_s), 64 * kMiB);
    const std::vector<DeviceSong> card = player.Songs(1, 0);
    EXPECT_TRUE(card.size() == 2 && card[0].name == u"d"_s && card[1].name == u"a"_s);
    EXPECT_EQ(QDir(dataPath()).entryList(QDir::Files).size(), 2)
        << "data of a deleted or formatted song kept";
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{u"big"_s, u"small"_s, u"store"_s, u"target"_s}));
}

// Every call but Open and Close is refused on a closed device; on an open one, each refusal says why and
// changes nothing, on the player nor beside it. Song 0's data is cut short; the card has 100 bytes free. One
// bracket at a time, across instances as across programs.
TEST_F(PlayerTest, RefusalsSayWhyAndChangeNothing) {
    EmulatedPlayer player(storePath());
    EmulatedPlayer other(storePath());
    player.Open();
    player.AddSong(0, u"cut short"_s, writeSource(u"0"_s, songBytes(100, 0)), u"0"_s);
    const QString cut = QDir(dataPath()).entryList(QDir::Files).at(0);
    player.AddSong(0, u"whole"_s, writeSource(u"1"_s, songBytes(100, 1)), u"0"_s);
    player.AddFolder(u"card"_s, u"1"_s);
    QFile(writeSource(u"full"_s, {})).resize(32 * kMiB - 100);
    player.AddSong(0, u"full"_s, root() + u"/full"_s, u"1"_s);
    player.Close();
    ASSERT_TRUE(QFile(dataPath() + u'/' + cut).resize(40));
    const QString source = writeSource(u"101"_s, songBytes(101, 2));
    const QString pipe = root() + u"/pipe"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString intoStore = root() + u"/link"_s;
    ASSERT_TRUE(QFile::link(storePath() + u"/memory0.json"_s, intoStore));
    const struct {
        std::function<void()> call;
        QString closed, open;  // the refusals; none: it works
    } calls[] = {
        {[&] { player.ExtFlash(); }, kNotOpen, {}},
        {[&] { player.FontName(u"IPAGothic"_s); }, kNotOpen, {}},
        {[&] { player.FontSize(12); }, kNotOpen, {}},
        {[&] { player.AvailableMemory(u"2"_s); }, kBadMemory, kBadMemory},
        {[&] { player.Folders(-1); }, kBadMemory, kBadMemory},
        {[&] { player.Songs(0, 1); }, kNotOpen, kFolderOutOfRange},
        {[&] { player.DeleteFolder(-1, u"0"_s); }, kNotOpen, kFolderOutOfRange},
        {[&] { player.AddSong(1, u"x"_s, source, u"0"_s); }, kNotOpen, kFolderOutOfRange},
        {[&] { player.AddSong(0, u"x"_s, source, u"1"_s); }, kNotOpen, kMemoryFull},
        // A /proc file says it is empty and outgrows the free memory only while it is copied.
        {[&] { player.AddSong(0, u"x"_s, u"/proc/self/status"_s, u"1"_s); }, kNotOpen, kMemoryFull},
        {[&] { player.AddSong(0, u"x"_s, pipe, u"0"_s); }, kNotOpen, kUnreadableSource},
        {[&] { player.AddFolder({}, u"0"_s); }, kNotOpen, kEmptyFolderName},
        {[&] { player.DeleteSong(0, -1, u"0"_s); }, kNotOpen, kSongOutOfRange},
        {[&] { player.SwapSong(0, 1, 2, u"0"_s); }, kNotOpen, kSongOutOfRange},
        {[&] { player.GetSong(0, 2, root() + u"/o"_s, u"0"_s); }, kNotOpen, kSongOutOfRange},
        {[&] { player.GetSong(0, 0, root() + u"/o"_s, u"0"_s); }, kNotOpen, kStoreDamaged + cut},
        {[&] { player.GetSong(0, 1, root(), u"0"_s); }, kNotOpen, kUnwritableTarget},
        {[&] { player.GetSong(0, 1, dataPath() + u"/o"_s, u"0"_s); }, kNotOpen, kUnwritableTarget},
        {[&] { player.GetSong(0, 1, intoStore, u"0"_s); }, kNotOpen, kUnwritableTarget},
    };
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_THAT(calls[i].call, refused(calls[i].closed)) << "call " << i;
    const auto store = storeFiles(storePath());
    const auto beside = QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    player.Open();
    for (size_t i = 0; i < std::size(calls); ++i) {
        SCOPED_TRACE(i);
        if (calls[i].open.isEmpty())
            calls[i].call();
        else
            EXPECT_THAT(calls[i].call, refused(calls[i].open));
        EXPECT_EQ(storeFiles(storePath()), store);
        EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), beside);
    }
    EXPECT_EQ(player.AvailableMemory(u"1"_s), 100);
    EXPECT_THAT([&] { other.Open(); }, refused(kInUse));
    EXPECT_THAT([&] { player.Open(); }, refused(kAlreadyOpen));

    // A lock file left empty, by a process killed between creating it and writing its id, is taken over; but
    // not while its maker, alive, holds the file's native lock, about to write.
    player.Close();
    writeFile(storePath() + u"/lock"_s, {});
    const int maker = ::open(QFile::encodeName(storePath() + u"/lock"_s).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(maker, LOCK_EX | LOCK_NB), 0);
    EXPECT_THAT([&] { other.Open(); }, refused(kInUse));
    ::close(maker);
    other.Open();
}

}  // namespace
}  // namespace tunedeck::testing
