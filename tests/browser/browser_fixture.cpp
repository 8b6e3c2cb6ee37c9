#include "browser_fixture.h"

#include "music_files.h"

#include <QTest>

namespace tunedeck::testing {

void doubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

QString BrowserTest::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = working.path() + QLatin1Char('/') + name;
    writeBytes(path, bytes);
    return path;
}

QString BrowserTest::makeFolder(const QString& name) const {
    const QString path = working.path() + QLatin1Char('/') + name;
    EXPECT_TRUE(QDir().mkpath(path));
    return path;
}

QStringList BrowserTest::fileNames() const {
    QStringList names;
    for (int row = 0; row < window->lvwFile->itemCount(); ++row)
        names << window->lvwFile->itemText(row);
    return names;
}

}  // namespace tunedeck::testing
