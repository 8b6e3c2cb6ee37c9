#include "window_fixture.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QProcess>

namespace tunedeck::testing {

QStringList listRows(const ListView& list) {
    QStringList rows;
    for (int row = 0; row < list.itemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < list.model()->columnCount(); ++column)
            cells << list.subItemText(row, column);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList refreshCalls(bool readsFolders, bool listsSongs, const QString& memory) {
    QStringList calls = {QStringLiteral("Open()"), QStringLiteral("ExtFlash()")};
    if (readsFolders)
        calls << QStringLiteral("Folders(%1)").arg(memory);
    if (listsSongs)
        calls << QStringLiteral("Songs(%1, 0)").arg(memory);
    return calls << QStringLiteral("AvailableMemory(\"%1\")").arg(memory) << QStringLiteral("Close()");
}

QStringList refreshTexts() {
    return {QStringLiteral("Rio500を探しています..."), QStringLiteral("曲リスト取得中..."),
            QStringLiteral("Ready")};
}

WindowTest::~WindowTest() {
    if (window && window->isVisible())
        window->close();
}

void WindowTest::TearDown() {
    EXPECT_TRUE(prompts.allAnswersUsed()) << "a scripted answer was never asked for";
}

Environment WindowTest::environment() {
    return {.programFolder = folder.path(),
            .exeBaseName = folder.exeBaseName(),
            .createDevice = [this](const QString& progId) -> std::unique_ptr<DeviceComponent> {
                if (!componentRegistered)
                    throw DeviceError(QStringLiteral("not registered"));
                auto device = std::make_unique<DeviceRecorder>(
                    createDevice(progId, componentsFolder(), folder.storePath()));
                recorder = device.get();
                deviceCalls = device->sharedCalls();
                return device;
            },
            .prompts = &prompts,
            .shell = &shell};
}

frmTunedeck& WindowTest::start() {
    window = std::make_unique<frmTunedeck>(environment());
    QObject::connect(window->stbRioInfo, &StatusBar::panelTextChanged,
                     [this](int panel, const QString& text) {
                         if (panel != 1)
                             return;
                         statusTexts_.append(text);
                         if (onStatusText)
                             onStatusText(text);
                     });
    window->Form_Load();
    return *window;
}

void WindowTest::closeWindow() {
    window->close();
    QCoreApplication::processEvents();
}

void WindowTest::runPlayerCommand(const QStringList& arguments) const {
    QProcess process;
    process.start(builtProgram(QStringLiteral("tunedeck-player")),
                  QStringList{QStringLiteral("--store"), folder.storePath()} + arguments);
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QStringList WindowTest::playerSongs(qint16 folderIndex, const QString& memory) const {
    auto device = storeDevice();
    device->Open();
    QStringList names;
    if (folderIndex < qint16(device->Folders(memory.toInt()).size()))
        for (const DeviceSong& song : device->Songs(memory.toInt(), folderIndex))
            names << song.name;
    device->Close();
    return names;
}

QStringList WindowTest::listedSongs() const {
    QStringList names;
    for (int row = 0; row < window->lvwSong->itemCount(); ++row)
        names << window->lvwSong->itemText(row);
    return names;
}

void WindowTest::selectPositions(ListView& list, const QList<int>& positions) {
    list.clearSelection();
    for (const int position : positions)
        list.selectionModel()->select(list.model()->index(position - 1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void WindowTest::expectGivenBack(const QWidget* focus) const {
    const frmTunedeck& w = *window;
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(w.fraSong->isEnabled());
    EXPECT_TRUE(w.menuSend->isEnabled() && w.menuDel->isEnabled() && w.menuDown->isEnabled());
    EXPECT_FALSE(w.isRunning());
    EXPECT_FALSE(w.isBusy());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(w.focusWidget(), focus);
}

QStringList WindowTest::takeStatusTexts() {
    return std::exchange(statusTexts_, {});
}

}  // namespace tunedeck::testing
