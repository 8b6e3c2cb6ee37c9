// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "cp932.h"
#include "file_size_limit.h"
#include "local_path.h"
#include "lock_turns.h"
#include "private_profile.h"
#include "program_folder.h"
#include "turn_probes.h"
#include "write_folder.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tunedeck {
namespace {

using namespace testing;

TEST(PrivateProfile, ReadsTheFirstKeyOfTheFirstSectionAndWritesKeepTheRestOfTheFile) {
    const QByteArray file =
        "; settings\r\n[other]\r\nSeparate=1\r\n[Tunedeck]\r\n  Separate =  2500  \r\n\x83\x41=kana\r\n"
        "Empty=\r\nQuoted=\"  %1 - %2  \"\r\nSingle='x'\r\nUnmatched=\"x'\r\nLone=\"\r\nSeparate=9\r\n"
        "NoEquals\r\n;FontSize=12\r\n[TUNEDECK]\r\nFontSize=14\r\n";
    // Names compare without regard to case but for the trail bytes of Japanese characters (folding ア's
    // would give another katakana); blanks around key and value go, then one pair of matching quotes; a
    // commented key is no key; the first key of the first section wins, and a section ends at the next.
    const std::pair<const char*, std::optional<QByteArray>> cases[] = {
        {"separate", "2500"},       {"\x83\x41", "kana"},      {"\x83\x61", std::nullopt}, {"Empty", ""},
        {"Quoted", "  %1 - %2  "},  {"Single", "x"},           {"Unmatched", "\"x'"},      {"Lone", "\""},
        {"NoEquals", std::nullopt}, {"FontSize", std::nullopt}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(profile::findValue(file, "TUNEDECK", key), value) << key;

    // Integers: leading blanks, a sign and the leading digits; beyond 32 bits the value saturates.
    QStringList values;
    for (const char* text :
         {"12abc", "", "\t-8x", "+7", "- 5", "2147483648", "-2147483649", "99999999999999999999"})
        values << QString::number(profile::parseInt(text));
    EXPECT_EQ(values.join(u' '), QLatin1String("12 0 -8 7 0 2147483647 -2147483648 2147483647"));

    // A key is replaced in place under its own name, or added after the last line of its section, or in a new
    // section at the end, with the file's own line breaks. A section name may end in a character whose second
    // byte is "]" (ゾ).
    EXPECT_EQ(profile::withValue("[\x83\x5D]\r\nK=1\r\n", "\x83\x5D", "K", "v"), "[\x83\x5D]\r\nK=v\r\n");
    const std::pair<QByteArray, QByteArray> writes[] = {
        {"", "[tunedeck]\r\nK=v\r\n"},
        {"; c\r\n[TUNEDECK]\r\nA=1\r\nk = 5\r\nB=2\r\n", "; c\r\n[TUNEDECK]\r\nA=1\r\nk=v\r\nB=2\r\n"},
        {"[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\n\r\n[b]\r\nY=2\r\n",
         "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\nK=v\r\n\r\n[b]\r\nY=2\r\n"},
        {"[tunedeck]\nA=1", "[tunedeck]\nA=1\nK=v\n"},
        {"[a]\nX=1", "[a]\nX=1\n[tunedeck]\nK=v\n"}};
    for (const auto& [before, after] : writes)
        EXPECT_EQ(profile::withValue(before, "tunedeck", "K", "v"), after) << before.toStdString();
}

// Settings kept in another folder (a synced one, say) that tunedeck.INI links to, symbolically or hard: the
// program's writes go to that file, both names show them, and an edit made there is seen at once. A write
// that the disk cannot take (here a file size limit) fails and leaves the old settings whole, whether it
// replaces the file or rewrites it in place.
TEST(SettingsFile, ReadsAndWritesTheFileBesideTheProgramOrTheOneALinkNames) {
    for (const bool hardLink : {false, true}) {
        SCOPED_TRACE(hardLink);
        const ProgramFolder folder;
        const QTemporaryDir synced;
        const SettingsFile other(synced.path(), u"tunedeck"_s);
        const SettingsFile settings = folder.settings();
        writeFile(other.path(), "[tunedeck]\r\nDisplayFormat=%1\r\n");
        const QByteArray from = QFile::encodeName(other.path()), to = QFile::encodeName(settings.path());
        ASSERT_EQ((hardLink ? ::link : ::symlink)(from, to), 0);
        const QByteArray old = folder.settingsBytes();
        const auto tooLong = [&] { return settings.write(u"DisplayFormat"_s, QString(64, u'x')); };
        EXPECT_TRUE(!withFileSizeLimit(old.size() + 8, tooLong) && folder.settingsBytes() == old);
        ASSERT_TRUE(settings.write(u"DisplayFormat"_s, u"%2"_s));
        EXPECT_EQ(settings.readString(u"DisplayFormat"_s, {}) + other.readString(u"DisplayFormat"_s, {}),
                  u"%2%2"_s);
        // Edited in place elsewhere, as a synced file is.
        writeFile(other.path(), "[tunedeck]\r\nDisplayFormat=%3\r\n");
        EXPECT_EQ(settings.readString(u"DisplayFormat"_s, {}), u"%3"_s);
    }

    // The file beside the program, named after it, in code page 932: an empty text is a value, an empty
    // number none; a write keeps the rest of the file. A long value is cut at the last whole character of
    // 1,023 bytes, however its bytes look. A write that cannot happen changes nothing: a line break in the
    // value, a folder in the file's place, which cannot be read either.
    const ProgramFolder folder(u"TUNEDECK"_s);
    const SettingsFile settings = folder.settings();
    folder.writeSettingsBytes("; c\r\n[TUNEDECK]\r\nFontName=\r\nFontSize=\r\nSeparate=10\r\n[x]\r\ny=1\r\n");
    EXPECT_EQ(settings.readString(u"FontName"_s, u"MS UI Gothic"_s), u""_s);
    EXPECT_EQ(settings.readInt(u"FontSize"_s, 9), 9);
    EXPECT_FALSE(settings.write(u"DisplayFormat"_s, u"%1\r\n[evil]"_s));
    ASSERT_TRUE(settings.write(u"Separate"_s, 2400) && settings.write(u"FontName"_s, u"ＭＳ ゴシック〜"_s));
    EXPECT_EQ(folder.settingsBytes(),
              "; c\r\n[TUNEDECK]\r\nFontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\x81\x60\r\n"
              "FontSize=\r\nSeparate=2400\r\n[x]\r\ny=1\r\n");

    const QByteArray wide = "\x82\x88";  // a trail byte in the lead byte range
    for (const auto& [raw, kept] : {std::pair{wide.repeated(600), 1022}, {"a" + wide.repeated(600), 1023}}) {
        folder.writeSettingsBytes("[TUNEDECK]\r\nDisplayFormat=" + raw + "\r\n");
        EXPECT_EQ(cp932::encode(settings.readString(u"DisplayFormat"_s, u""_s)), raw.first(kept));
    }

    ASSERT_TRUE(QFile::remove(settings.path()) && QDir(folder.path()).mkdir(u"TUNEDECK.INI"_s));
    EXPECT_TRUE(!settings.write(u"Separate"_s, 20) && settings.readInt(u"Separate"_s, 7) == 7);
}

// Beside the program when it can be written there, else in the per-user folder, made as needed; when a file
// lies in its place, the problem names it and nothing is written.
TEST(WriteFolder, BesideTheProgramWhenWritableElseInThePerUserFolder) {
    for (const auto& [writable, fileInTheWay] : {std::pair{true, false}, {false, false}, {false, true}}) {
        SCOPED_TRACE(fileInTheWay);
        const QTemporaryDir temp;
        const QString userFolder = temp.filePath(u"share/tunedeck"_s);
        if (fileInTheWay)
            writeFile(userFolder, "not a folder");
        const WriteFolder chosen = chooseWriteFolder(temp.path(), writable, temp.filePath(u"share"_s));
        EXPECT_EQ(std::tuple(chosen.path, chosen.problem.contains(userFolder),
                             SettingsFile(chosen.path, u"tunedeck"_s).write(u"WindowState"_s, 0)),
                  std::tuple(writable ? temp.path() : userFolder, fileInTheWay, !fileInTheWay));
    }
}

// A lock the tests hold and let go by hand: who holds it, 0 for nobody. Each try lasts a while, so that two
// programs trying it at once would be seen.
struct HandLock {
    std::atomic<int> holder = 0, trying = 0, refused = 0, triesAtOnce = 0;
    std::function<bool()> taker(int id) {
        return [this, id] {
            triesAtOnce += ++trying > 1;
            std::this_thread::sleep_for(1ms);
            int nobody = 0;
            const bool taken = holder.compare_exchange_strong(nobody, id);
            refused += !taken;
            --trying;
            return taken;
        };
    }
};

// Every wait ends and leaves nobody in line, and no line file where nobody waits: at once when the lock is
// free; refused after the whole wait while another program holds the lock or stands in line (stopped there,
// say).
TEST(LockTurns, EveryWaitEndsAndAWaiterGoesBeforeTheHoldersNextTake) {
    const TurnWait wait{.total = 300ms, .retry = 10ms};
    for (const auto& [lockHeld, lineHeld] :
         {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(::testing::Message() << "lock held " << lockHeld << ", line held " << lineHeld);
        const QTemporaryDir dir;
        const QString line = dir.filePath(u"line"_s);
        HandLock lock{.holder = lockHeld ? 9 : 0};
        QFile stopped(line);
        ASSERT_TRUE(!lineHeld || (stopped.open(QIODevice::WriteOnly) &&
                                  ::flock(stopped.handle(), LOCK_EX | LOCK_NB) == 0));
        const bool free = !lockHeld && !lineHeld;
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(takeInTurn(line, lock.taker(1), wait), free);
        EXPECT_TRUE(free || std::chrono::steady_clock::now() - began >= wait.total) << "the wait cut short";
        EXPECT_EQ(lock.holder, free ? 1 : lockHeld ? 9 : 0);
        EXPECT_LE(lock.refused, wait.total / wait.retry + 1) << "tries not spaced by the retry";
        EXPECT_EQ(QFile::exists(line), lineHeld) << "the line left behind, or taken from who stood in it";
        stopped.close();
        EXPECT_FALSE(someoneInLine(line)) << "still in line after the wait";
    }
    // A line that is no plain file (another user's fifo or folder) is passed by, and not held open.
    const QTemporaryDir odd;
    ASSERT_TRUE(::mkfifo(QFile::encodeName(odd.filePath(u"fifo"_s)).constData(), 0600) == 0 &&
                QDir(odd.path()).mkdir(u"folder"_s));
    const auto openFiles = [] { return QDir(u"/proc/self/fd"_s).entryList(QDir::System).size(); };
    for (const QString& name : {u"fifo"_s, u"folder"_s}) {
        const qsizetype before = openFiles();
        EXPECT_TRUE(takeInTurn(odd.filePath(name), HandLock().taker(1), wait) && openFiles() == before)
            << "not taken, or the line kept open: " << qPrintable(name);
    }

    // Runs of takes that meet: those that came while the first held the lock go before its next take, each
    // between the others' takes, and all end with every take; no two programs ever try the lock at once.
    // Every user's programs may wait in the line, whatever the umask of the one that made it.
    const QTemporaryDir dir;
    const QString line = dir.filePath(u"line"_s);
    HandLock lock;
    const auto restoreUmask = qScopeGuard([umask = ::umask(077)] { ::umask(umask); });
    std::atomic<int> taken = 0;
    std::array<std::atomic<int>, 24> takes{};  // by whom, in order
    const auto run = [&](int id, const std::function<void()>& afterFirstTake) {
        for (int song = 0; song < 8; ++song) {
            if (!takeInTurn(line, lock.taker(id)))
                continue;
            takes.at(taken++) = id;
            if (song == 0)
                afterFirstTake();
            std::this_thread::sleep_for(10ms);
            lock.holder = 0;
        }
    };
    std::thread others[2];
    run(1, [&] {
        others[0] = std::thread([&] { run(2, [] {}); });
        others[1] = std::thread([&] { run(3, [] {}); });
        EXPECT_TRUE(eventually([&] { return lock.refused > 0 && someoneInLine(line); }));
        EXPECT_EQ(QFile::permissions(line).toInt(), 0x6644);  // 0644, the user being the owner
    });
    for (std::thread& other : others)
        other.join();
    for (const int id : {1, 2, 3})
        EXPECT_EQ(std::count(takes.cbegin(), takes.cend(), id), 8) << "a take of run " << id << " refused";
    EXPECT_NE(takes.at(1), 1) << "the holder took the lock again before the ones waiting";
    EXPECT_EQ(lock.triesAtOnce, 0) << "two programs tried the lock at once";

    // A volume mounted at two places: one file by two names.
    QFile a(writeFile(dir.filePath(u"a"_s), {})), b(dir.filePath(u"b"_s)),
        c(writeFile(dir.filePath(u"c"_s), {}));
    ASSERT_TRUE(a.link(b.fileName()) && a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
                c.open(QIODevice::ReadOnly));
    EXPECT_EQ(sharedLineFor(a.handle()), sharedLineFor(b.handle()));
    EXPECT_NE(sharedLineFor(a.handle()), sharedLineFor(c.handle()));
    EXPECT_TRUE(sharedLineFor(a.handle()).startsWith(QDir::tempPath() + u'/'));
}

// Code page 932 bytes as glibc's own tables read them, U+FFFD where they name nothing: an independent oracle
// for the codec's ICU-built tables.
QString glibcDecode(QByteArray input) {
    static const iconv_t cd = iconv_open("UTF-16LE", "CP932");
    char16_t output[2] = {};
    char *in = input.data(), *out = reinterpret_cast<char*>(output);
    size_t inLeft = input.size(), outLeft = sizeof output;
    const bool read = iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1);
    return read ? QString::fromUtf16(output, (sizeof output - outLeft) / 2) : u"\uFFFD"_s;
}

// The single bytes Windows maps outside ASCII and the katakana, which glibc does not read.
const QByteArray kRefusedByGlibc = "\x80\xa0\xfd\xfe\xff";
const QString kWindowsSingles = u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"_s;

// Every single byte and every pair decodes as glibc decodes it, and what the codec writes for each character
// it read, glibc reads back as that character. Most pairs name a character: a loop that built no pair would
// check only the single bytes.
TEST(Cp932, DecodesAndEncodesAsGlibcDoesElseAsWindowsDoes) {
    int characterPairs = 0;
    for (int code = 0; code <= 0xFCFC; ++code) {
        const int lead = code >> 8, trail = code & 0xFF;
        if (lead == 0 ? cp932::isLeadByte(trail) || kRefusedByGlibc.contains(char(trail))
                      : !cp932::isLeadByte(lead) || trail < 0x40 || trail > 0xFC || trail == 0x7F)
            continue;
        const QByteArray bytes = (lead == 0 ? QByteArray() : QByteArray(1, char(lead))) + char(trail);
        SCOPED_TRACE(bytes.toHex().toStdString());
        const QString text = cp932::decode(bytes);
        EXPECT_EQ(text, glibcDecode(bytes));
        EXPECT_EQ(text == u"\uFFFD"_s ? text : glibcDecode(cp932::encode(text)), text);
        characterPairs += lead != 0 && text.size() == 1 && text != u"\uFFFD"_s;
    }
    EXPECT_GT(characterPairs, 7000);

    // Where glibc cannot tell: the single bytes it refuses, a lead byte without its trail byte (also at the
    // end of one call, which leaves the next call's first byte alone), single bytes before what could be a
    // trail, look-alikes ICU's table lacks and characters of no form at all, and the form Windows prefers of
    // several: JIS X 0208, then NEC row 13, then the IBM extensions, never the NEC-selected ones.
    EXPECT_EQ(cp932::decode(kRefusedByGlibc + QByteArray("\x81\x20\x00\x81", 4)),
              kWindowsSingles + u"\uFFFD \0\uFFFD"_s);
    EXPECT_EQ(cp932::decode("\x83") + cp932::decode("\x65"), u"\uFFFDe"_s);
    EXPECT_EQ(cp932::decode("\xa0\x41\xdf\x41"), u"\uF8F0A\uFF9FA"_s) << "no lead bytes";
    EXPECT_EQ(cp932::encode(u"〜−‖—¢£¬¦¥‾€∵Ⅰⅰ纊"_s + kWindowsSingles + QChar(0)),
              "\x81\x60\x81\x7c\x81\x61\x81\x5c\x81\x91\x81\x92\x81\xca\xfa\x55\x5c\x7e?\x81\xe6\x87\x54" +
                  QByteArray("\xfa\x40\xfa\x5c") + kRefusedByGlibc + '\0');
}

// A name's bytes as a path: each valid UTF-8 sequence decoded, at the bounds of its forms too, and every
// other byte (overlong forms, surrogates, beyond U+10FFFF, cut short, Shift-JIS) held as itself, so that the
// bytes come back whole.
TEST(LocalPath, ValidUtf8IsDecodedAndEveryOtherByteHeld) {
    const auto held = [](QByteArrayView bytes) {
        QString units;
        for (const char byte : bytes)
            units += QChar(char16_t(0xDC00 + uchar(byte)));
        return units;
    };
    QList<std::pair<QByteArray, QString>> names = {
        {"\xC2\xA0\xDF\xBF", u"\u00A0\u07FF"_s},
        {"\xE0\xA0\x80\xED\x9F\xBF", u"\u0800\uD7FF"_s},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"_s},
        {"a\xE3\x41\x81", u"a"_s + held("\xE3") + u"A"_s + held("\x81")},
        {"\x82\xA0.mp3", held("\x82\xA0") + u".mp3"_s}};
    // Overlong, a surrogate, beyond U+10FFFF, cut short: every byte held.
    for (const char* bytes :
         {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81"})
        names.append({bytes, held(bytes)});
    for (const auto& [bytes, path] : names)
        EXPECT_EQ(std::pair(pathFromBytes(bytes), pathBytes(path)), std::pair(path, bytes))
            << bytes.toHex().constData();
    // Shown, a held byte is its code; a character whose second unit looks like one is itself.
    EXPECT_EQ(nameText(pathFromBytes("\xF0\x9F\x92\x80\x83")), u"💀\\x83"_s);
}

}  // namespace
}  // namespace tunedeck
