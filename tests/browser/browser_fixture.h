#pragma once

#include "window_fixture.h"

#include <QDir>
#include <QTemporaryDir>

namespace tunedeck::testing {

// The process's working folder moved into a temporary folder for the life of the object: the folder tree
// starts there.
class WorkingFolder {
  public:
    WorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString path() const { return dir_.path(); }

  private:
    QString previous_;
    QTemporaryDir dir_;
};

// A double-click as the window system delivers it: a click, then the double-click itself.
void doubleClick(QWidget* widget, QPoint at);

// The window started in a working folder of the test's own.
class BrowserTest : public WindowTest {
  protected:
    // Writes `bytes` to `name` in the working folder (or in a folder below it) and returns the full path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QString makeFolder(const QString& name) const;

    QStringList fileNames() const;

    WorkingFolder working;
};

}  // namespace tunedeck::testing
