// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_path.h"

#include "cp932.h"

#include <QStringEncoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunedeck {
namespace {

constexpr char16_t kHeldBytes = 0xDC00;

bool isHeldByte(char16_t unit) {
    return heldByte(unit) >= 0;
}

// Whether a surrogate pair, one character, starts at `at`.
bool pairAt(QStringView text, qsizetype at) {
    return QChar::isHighSurrogate(text[at].unicode()) && at + 1 < text.size() &&
           QChar::isLowSurrogate(text[at + 1].unicode());
}

// The length of the valid UTF-8 sequence at `at`, 0 when the byte there starts none: no overlong forms, no
// surrogates, nothing beyond U+10FFFF, as the UTF-8 decoder refuses them.
qsizetype sequenceLength(QByteArrayView bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return uchar(bytes[at + i]); };
    const uchar lead = byte(0);
    if (lead < 0x80)
        return 1;
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    const uchar second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

bool holdsBytes(QStringView path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (pairAt(path, i))
            ++i;
        else if (isHeldByte(path[i].unicode()))
            return true;
    }
    return false;
}

bool hasMode(QStringView path, mode_t kind) {
    struct stat status {};
    return ::stat(NativePath(path).c_str(), &status) == 0 && (status.st_mode & S_IFMT) == kind;
}

QString eachName(QStringView path, QString (*text)(const QString&)) {
    if (!holdsBytes(path))
        return path.toString();
    QStringList names;
    for (const QStringView name : path.split(u'/'))
        names.append(text(name.toString()));
    return names.join(u'/');
}

}  // namespace

QString pathFromBytes(QByteArrayView bytes) {
    QString path;  // a name all in UTF-8 is one append, which shares the decoded text
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype start = at;
        qsizetype length = 0;
        while (at < bytes.size() && (length = sequenceLength(bytes, at)) > 0)
            at += length;
        path += QString::fromUtf8(bytes.sliced(start, at - start));
        if (at < bytes.size())
            path += QChar(kHeldBytes + uchar(bytes[at++]));
    }
    return path;
}

NativePath::NativePath(QStringView path) {
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    bytes_.resize(encoder.requiredSpace(path.size()) + 1);
    char* out = bytes_.data();
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (pairAt(path, i)) {
            ++i;
        } else if (isHeldByte(unit)) {
            out = encoder.appendToBuffer(out, path.sliced(run, i - run));
            *out++ = char(unit - kHeldBytes);
            run = i + 1;
        }
    }
    out = encoder.appendToBuffer(out, path.sliced(run));
    *out++ = '\0';
    bytes_.resize(out - bytes_.constData());
}

QString decodedName(const QString& name) {
    if (!holdsBytes(name))
        return name;
    const QString decoded = cp932::decode(NativePath(name).bytes());
    return decoded.contains(QChar::ReplacementCharacter) ? name : decoded;
}

QString nameText(const QString& name) {
    const QString decoded = decodedName(name);
    if (!holdsBytes(decoded))
        return decoded;
    QString shown;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        if (pairAt(decoded, i))
            shown += decoded.sliced(i++, 2);
        else if (isHeldByte(decoded[i].unicode()))
            shown += QStringLiteral("\\x%1").arg(heldByte(decoded[i].unicode()), 2, 16);
        else
            shown += decoded[i];
    }
    return shown;
}

QString decodedPath(QStringView path) {
    return eachName(path, decodedName);
}

QString pathText(QStringView path) {
    return eachName(path, nameText);
}

QStringList commandArguments(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(pathFromBytes(argv[i]));
    return arguments;
}

bool isFolder(QStringView path) {
    return hasMode(path, S_IFDIR);
}

bool isFile(QStringView path) {
    return hasMode(path, S_IFREG);
}

int openRegularFile(QStringView path) {
    if (!isFile(path))
        return -1;
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat status {};
    if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

qint64 fileSize(QStringView path) {
    struct stat status {};
    return ::stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode) ? status.st_size : -1;
}

}  // namespace tunedeck
