#include "desktop_shell.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

namespace tunedeck {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kNoAssociation = 31;
constexpr int kStarted = 42;

}  // namespace

int DesktopShell::open(const QString& folder, const QString& fileName) {
    if (!QFileInfo(folder).isDir())
        return kPathNotFound;
    const QString path = QDir(folder).filePath(fileName);
    if (!QFileInfo::exists(path))
        return kFileNotFound;
    return QProcess::startDetached(opener_, {path}, folder) ? kStarted : kNoAssociation;
}

void DesktopShell::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace tunedeck
