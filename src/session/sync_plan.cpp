// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_plan.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>

namespace tunedeck {
namespace {

// The name a song bears without the " (n)" a player adds to keep two of one name apart.
QString withoutClashNumber(const QString& name) {
    static const QRegularExpression clash(QStringLiteral(" \\([0-9]+\\)$"));
    QString bare = name;
    bare.remove(clash);
    return bare;
}

using Key = std::pair<QString, qint64>;

// For each source, the song it is, else -1: a song bearing the source's own name is that source before one
// whose name only differs by a clash number, which may be another file's of that name.
std::vector<qint32> matchSources(const std::vector<SyncSource>& sources,
                                 const std::vector<DeviceSong>& songs) {
    std::vector<qint32> matched(sources.size(), -1);
    std::vector<bool> taken(songs.size(), false);
    for (const bool exactly : {true, false}) {
        std::map<Key, std::vector<qint32>> waiting;  // songs by name and size, in their order, reversed
        for (qint32 i = qint32(songs.size()) - 1; i >= 0; --i)
            if (!taken[i])
                waiting[{exactly ? songs[i].name : withoutClashNumber(songs[i].name), songs[i].size}]
                    .push_back(i);
        for (size_t i = 0; i < sources.size(); ++i) {
            if (matched[i] >= 0)
                continue;
            const auto found = waiting.find({sources[i].shown, sources[i].size});
            if (found == waiting.end() || found->second.empty())
                continue;
            matched[i] = found->second.back();
            found->second.pop_back();
            taken[matched[i]] = true;
        }
    }
    return matched;
}

// Whether the folder will play the sources in their order, the songs no source is after them, once the
// songs sent have joined it after the songs there.
bool playsInOrder(const SyncPlan& plan, size_t songs, bool removingExtra) {
    constexpr int kNoSource = std::numeric_limits<int>::max();
    std::vector<int> ranks(songs, kNoSource);
    for (size_t source = 0; source < plan.matched.size(); ++source)
        if (plan.matched[source] >= 0)
            ranks[plan.matched[source]] = int(source);
    if (removingExtra)
        std::erase(ranks, kNoSource);
    ranks.insert(ranks.end(), plan.send.begin(), plan.send.end());
    return std::is_sorted(ranks.begin(), ranks.end());
}

}  // namespace

SyncPlan planSync(const std::vector<SyncSource>& sources, const std::vector<DeviceSong>& songs,
                  qint64 available) {
    SyncPlan plan;
    plan.matched = matchSources(sources, songs);
    SyncSummary& summary = plan.summary;
    summary.available = available;
    std::map<Key, int> alike;
    for (const SyncSource& source : sources)
        ++alike[{source.shown, source.size}];
    std::vector<bool> isSource(songs.size(), false);
    for (size_t i = 0; i < sources.size(); ++i) {
        if (alike[{sources[i].shown, sources[i].size}] > 1)
            ++summary.alike;
        if (plan.matched[i] >= 0) {
            isSource[plan.matched[i]] = true;
            ++summary.present;
        } else {
            plan.send.push_back(int(i));
            ++summary.toSend;
            summary.sendBytes += std::max<qint64>(sources[i].size, 0);
        }
    }
    for (qint32 i = 0; i < qint32(songs.size()); ++i)
        if (!isSource[i]) {
            plan.extra.push_back(i);
            ++summary.onlyOnPlayer;
            summary.onlyOnPlayerBytes += songs[i].size;
        }
    summary.reorderIfKept = !playsInOrder(plan, songs.size(), false);
    summary.reorderIfRemoved = !playsInOrder(plan, songs.size(), true);
    return plan;
}

std::vector<qint32> followingOrder(const std::vector<SyncSource>& sources,
                                   const std::vector<DeviceSong>& songs) {
    std::vector<qint32> order;
    std::vector<bool> placed(songs.size(), false);
    for (const qint32 song : matchSources(sources, songs))
        if (song >= 0) {
            order.push_back(song);
            placed[song] = true;
        }
    for (qint32 i = 0; i < qint32(songs.size()); ++i)
        if (!placed[i])
            order.push_back(i);
    return order;
}

std::vector<SongSwap> swapsInto(const std::vector<qint32>& order) {
    // standing[p]: the song at position p; where[s]: the position of song s.
    std::vector<qint32> standing(order.size()), where(order.size());
    std::iota(standing.begin(), standing.end(), 0);
    std::iota(where.begin(), where.end(), 0);
    std::vector<SongSwap> swaps;
    for (qint32 position = 0; position < qint32(order.size()); ++position) {
        const qint32 wanted = order[position], from = where[wanted];
        if (from == position)
            continue;
        swaps.push_back({position, from});
        const qint32 displaced = standing[position];
        std::swap(standing[position], standing[from]);
        where[wanted] = position;
        where[displaced] = from;
    }
    return swaps;
}

}  // namespace tunedeck
