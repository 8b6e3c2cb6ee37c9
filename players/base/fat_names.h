// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include <optional>
#include <vector>

namespace tunedeck {

// FAT and exFAT keep at most this many UTF-16 units of a long name.
inline constexpr qsizetype kFatNameUnits = 255;

// The longest name a file system keeps: counted in UTF-16 units on FAT and exFAT, in the bytes of its UTF-8
// on the others (255 on ext4).
struct NameLimit {
    qsizetype most = kFatNameUnits;
    bool inBytes = false;
};

// `stem` + `suffix` made into a name FAT takes as it is: the characters FAT refuses (\ / : * ? " < > |,
// control characters, and held bytes that are no text) become "_", a leading dot too (it would hide the song
// from the player), trailing dots and spaces go (FAT drops them itself), the stem is cut to fit `limit` with
// the suffix, never inside a character, and an empty stem becomes "_". The suffix (".mp3", " (2).mp3") is
// kept as it is given.
QString fatSafeName(const QString& stem, const QString& suffix = {}, const NameLimit& limit = {});

// fatSafeName(stem, extension, limit), or, when a name of `taken` equals it ignoring case (FAT would
// overwrite it), the first of "stem (2)ext", "stem (3)ext", … that is free.
QString freeFatName(const QString& stem, const QString& extension, const QStringList& taken,
                    const NameLimit& limit = {});
// The same, `isTaken` telling whether a name is taken, ignoring case.
QString freeFatName(const QString& stem, const QString& extension,
                    const std::function<bool(const QString& name)>& isTaken, const NameLimit& limit = {});

// Whether `name` equals one of `names` ignoring case.
bool containsIgnoringCase(const QStringList& names, const QString& name);

// A file name's extension with its dot (".MP3"), empty when it has none; and the name without it.
QString extensionOf(const QString& name);
QString stemOf(const QString& name);

// The stem a song is sent under: its display title, without `extension` where the title ends in it (a title
// made from the file name of a file without tags).
QString songStem(const QString& displayTitle, const QString& extension);

// What a song list shows for the song file `fileName`: its name without the extension, and in a name-ordered
// folder (`numbered`) without the number it starts with.
QString listedTitle(const QString& fileName, bool numbered);

// What a song list shows for a song sent under `displayTitle` from the file `sourceName`, before what keeps
// it apart from another of that name (" (2)"): its name made as a send makes it, within `limit`. In a
// name-ordered folder the name starts with the song's number, which takes its room of `limit`: a number of
// two digits, as each of a folder's first 99 songs has.
QString shownSongName(const QString& displayTitle, const QString& sourceName, const NameLimit& limit,
                      bool numbered);

// Whether the player plays the file: ".mp3" or ".rmp", case not counting.
bool isSongName(const QString& name);

// The order a player that sorts plays names in: digit runs compared as numbers ("2 x" before "10 x"), the
// rest with case not counting; names equal in that by their units.
bool naturalLess(const QString& a, const QString& b);

// The number a name-ordered song's file name starts with, "07" of "07 Title.mp3", and the rest after the
// space.
struct NumberPrefix {
    QString digits;
    QString rest;
};
std::optional<NumberPrefix> numberPrefixOf(const QString& name);

// The prefix for `number`: at least two digits ("07 ").
QString numberPrefix(int number);

// Whether every name of a name-ordered folder starts with a number no other name has.
bool numberedApart(const QStringList& names);
// The number a song sent to a name-ordered folder takes: after the highest one of `names`.
int nextNumber(const QStringList& names);

// The renames that give the songs `inOrder` the numbers 01, 02, … in that order, each keeping its title
// (cut where the number would take the name past `limit`); `taken`: every name in the folder. A new name that
// would clash with another ignoring case gets " (2)". In the order they are to be done.
struct Rename {
    QString from;
    QString to;
};
std::vector<Rename> numberingRenames(const QStringList& inOrder, QStringList taken,
                                     const NameLimit& limit = {});

}  // namespace tunedeck
