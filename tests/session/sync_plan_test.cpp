// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_plan.h"
#include "sync_texts.h"

#include <gmock/gmock.h>

#include <numeric>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// "name" or "name=size" (100 bytes unless said), a file or a song each.
std::pair<QString, qint64> parsed(const QString& item) {
    return {item.section(u'=', 0, 0), item.contains(u'=') ? item.section(u'=', 1).toLongLong() : 100};
}
std::vector<SyncSource> filesOf(const QString& names) {
    std::vector<SyncSource> files;
    for (const QString& item : names.split(u' ', Qt::SkipEmptyParts)) {
        const auto [name, size] = parsed(item);
        files.push_back({.path = u"/m/"_s + name, .title = name, .shown = name, .size = size});
    }
    return files;
}
std::vector<DeviceSong> songsOf(const QString& names) {
    std::vector<DeviceSong> songs;
    for (const QString& item : names.split(u' ', Qt::SkipEmptyParts)) {
        const auto [name, size] = parsed(item);
        songs.push_back({.name = name, .size = size, .identity = QString::number(songs.size())});
    }
    return songs;
}

// The files of a computer folder against a player folder: which are sent, which songs only the player has,
// and whether the order will need putting right with those songs kept and gone.
TEST(SyncPlan, WhatIsSentWhatIsThereAndWhetherTheOrderIsRight) {
    struct Case {
        const char* what;
        QString files, songs;
        std::vector<int> send;
        std::vector<qint32> extra;
        int present, alike;
        bool reorderKept, reorderRemoved;
    };
    const Case cases[] = {
        {"an empty folder", u"a b c"_s, u""_s, {0, 1, 2}, {}, 0, 0, false, false},
        {"in step", u"a b c"_s, u"a b c"_s, {}, {}, 3, 0, false, false},
        {"there, out of order", u"a b c"_s, u"b a c"_s, {}, {}, 3, 0, true, true},
        {"new ones last", u"a b c d"_s, u"a b"_s, {2, 3}, {}, 2, 0, false, false},
        {"new ones among them", u"a b c d"_s, u"a c"_s, {1, 3}, {}, 2, 0, true, true},
        {"a size that differs is another song", u"a b=7"_s, u"a b=8"_s, {1}, {1}, 1, 0, true, false},
        {"a player's clash number is the name", u"a a=5"_s, u"a a_(2)=5"_s, {}, {}, 2, 0, false, false},
        {"a clash number on one of two sizes", u"x=5 x=6"_s, u"x_(2)=5 x=6"_s, {}, {}, 2, 0, false, false},
        {"a name of its own goes before one numbered",
         u"x_(2)=5 x=5"_s,
         u"x=5 x_(2)=5"_s,
         {},
         {},
         2,
         0,
         true,
         true},
        {"only the player's, after", u"a b"_s, u"a b z"_s, {}, {2}, 2, 0, false, false},
        {"only the player's, then a new one", u"a b"_s, u"a z"_s, {1}, {1}, 1, 0, true, false},
        {"only the player's, first", u"a b"_s, u"z a b"_s, {}, {0}, 2, 0, true, false},
        {"alike files, one there", u"a a"_s, u"a"_s, {1}, {}, 1, 2, false, false},
        {"alike files, both there", u"a a b"_s, u"a b a"_s, {}, {}, 3, 2, true, true},
        {"one song for two files is one of them", u"a"_s, u"a a"_s, {}, {1}, 1, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // "a_(2)" stands for "a (2)": the table splits at spaces.
        std::vector<DeviceSong> songs = songsOf(c.songs);
        for (DeviceSong& song : songs)
            song.name.replace(u'_', u' ');
        std::vector<SyncSource> files = filesOf(c.files);
        for (SyncSource& file : files)
            file.shown.replace(u'_', u' ');
        const SyncPlan plan = planSync(files, songs, 1000);
        EXPECT_EQ(plan.send, c.send);
        EXPECT_EQ(plan.extra, c.extra);
        EXPECT_EQ(std::tuple(plan.summary.present, plan.summary.toSend, plan.summary.onlyOnPlayer,
                             plan.summary.alike, plan.summary.reorder(false), plan.summary.reorder(true)),
                  std::tuple(c.present, int(c.send.size()), int(c.extra.size()), c.alike, c.reorderKept,
                             c.reorderRemoved));
        // The order the sync then makes: the files there in their order, then the rest.
        const std::vector<qint32> order = followingOrder(files, songs);
        std::vector<qint32> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<qint32> each(songs.size());
        std::iota(each.begin(), each.end(), 0);
        EXPECT_EQ(sorted, each) << "not every song once";
    }
}

// What is sent and what goes are counted in bytes against the free memory, and the summary says it.
TEST(SyncPlan, WhatFitsCountsTheSongsThatGo) {
    const std::vector<SyncSource> files = filesOf(u"a=600 b=500 c=1"_s);
    const SyncPlan plan = planSync(files, songsOf(u"c=1 z=300"_s), 900);
    EXPECT_EQ(std::tuple(plan.summary.sendBytes, plan.summary.onlyOnPlayerBytes), std::tuple(1100, 300));
    EXPECT_FALSE(plan.summary.fits(false));
    EXPECT_TRUE(plan.summary.fits(true));
    // An unreadable file (no size) weighs nothing and is still sent, for the player to refuse by name.
    const SyncPlan unreadable = planSync(filesOf(u"gone=-1"_s), {}, 0);
    EXPECT_EQ(std::tuple(unreadable.send, unreadable.summary.sendBytes), std::tuple(std::vector{0}, 0));
    EXPECT_EQ(syncSummaryText(plan.summary, u"曲"_s, false, true),
              u"プレーヤーのフォルダ「曲」と同期します。\n転送する曲: 2曲 (1KB)\nすでにある曲: 1曲\n"
              u"プレーヤーにだけある曲: 1曲 (削除します)\n空きメモリ: 足ります (空き 0KB)\n"
              u"曲順: コンピュータのフォルダの順に並べ直します"_s);
    EXPECT_THAT(
        syncSummaryText(plan.summary, u"曲"_s, true, false).toStdString(),
        ::testing::AllOf(::testing::StartsWith("プレーヤーに新しいフォルダ「曲」を作って同期します。"),
                         ::testing::HasSubstr("(残します)"),
                         ::testing::HasSubstr("空きメモリ: 足りません (あと 0KB 要ります)")));
}

// The swaps put the songs into any order, one swap at most for each song out of place.
TEST(SyncPlan, SwapsMakeTheOrder) {
    for (std::vector<qint32> order :
         {std::vector<qint32>{}, {0}, {1, 0}, {2, 0, 1}, {3, 2, 1, 0}, {0, 4, 1, 2, 3}}) {
        std::vector<qint32> standing(order.size());
        std::iota(standing.begin(), standing.end(), 0);
        const std::vector<SongSwap> swaps = swapsInto(order);
        for (const SongSwap& swap : swaps)
            std::swap(standing.at(swap.a), standing.at(swap.b));
        EXPECT_EQ(standing, order);
        qsizetype misplaced = 0;
        for (size_t i = 0; i < order.size(); ++i)
            misplaced += order[i] != qint32(i);
        EXPECT_LE(qsizetype(swaps.size()), std::max<qsizetype>(misplaced - 1, 0));
    }
}

}  // namespace
}  // namespace tunedeck::testing
