// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

// Names in a Linux file system are bytes, and not every name is UTF-8: music copied from Windows disks often
// has names in Shift-JIS. A path is held as a QString in which UTF-8 is its characters and every byte outside
// valid UTF-8 is the lone surrogate U+DC00 + byte, so that each path converts back to exactly its bytes.
// Paths go to the system only through NativePath; QFile and QFileInfo would turn the held bytes into "?".
namespace tunedeck {

QString pathFromBytes(QByteArrayView bytes);

// The byte a UTF-16 unit holds, -1 for a unit that is text. A low surrogate that follows a high one is text.
constexpr int heldByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF ? unit - 0xDC00 : -1;
}

// The path's bytes, NUL-terminated, on the stack for ordinary lengths.
class NativePath {
  public:
    explicit NativePath(QStringView path);
    const char* c_str() const { return bytes_.constData(); }
    QByteArrayView bytes() const { return {bytes_.constData(), bytes_.size() - 1}; }

  private:
    QVarLengthArray<char, 1024> bytes_;
};

inline QByteArray pathBytes(QStringView path) {
    return NativePath(path).bytes().toByteArray();
}

// A name that is not UTF-8 decoded as code page 932 when all of it decodes so; otherwise the name as it is.
// A UTF-8 name is given back shared, not copied.
QString decodedName(const QString& name);

// A name as a person reads it in the window: decodedName, with the bytes it still holds as "\xHH".
QString nameText(const QString& name);

// A path with each of its names as decodedName, or as nameText, gives it.
QString decodedPath(QStringView path);
QString pathText(QStringView path);

// The command line's arguments after the program's name, each held as a path.
QStringList commandArguments(int argc, const char* const* argv);

// What the path names, following symbolic links; false when it names nothing.
bool isFolder(QStringView path);
bool isFile(QStringView path);
// The size of the regular file the path names; -1 when it names none.
qint64 fileSize(QStringView path);
// The regular file the path names (following links), open for reading; -1 for anything else. A pipe, a
// socket or a device is never opened, and one that takes the file's place meanwhile is not waited on.
int openRegularFile(QStringView path);

}  // namespace tunedeck
