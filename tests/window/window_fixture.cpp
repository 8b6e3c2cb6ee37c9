#include "window_fixture.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QScopeGuard>

namespace tunedeck::testing {

QStringList rows(const ListView& list, int columns) {
    QStringList rows;
    for (int row = 0; row < list.itemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells << list.subItemText(row, column);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList refreshCalls(bool readsFolders, int folder, const QString& memory) {
    QStringList calls = {QStringLiteral("Open()"), QStringLiteral("ExtFlash()")};
    if (readsFolders)
        calls << QStringLiteral("Folders(%1)").arg(memory);
    if (folder >= 0)
        calls << QStringLiteral("Songs(%1, %2)").arg(memory).arg(folder);
    return calls << QStringLiteral("AvailableMemory(\"%1\")").arg(memory) << QStringLiteral("Close()");
}

WindowTest::~WindowTest() {
    if (window && window->isVisible())
        window->close();
    QDir::setCurrent(previousFolder_);
}

frmTunedeck& WindowTest::start() {
    const auto createDevice = [this](const QString& progId) -> std::unique_ptr<DeviceComponent> {
        if (!componentRegistered)
            throw DeviceError(QStringLiteral("not registered"));
        auto device = std::make_unique<DeviceRecorder>(
            tunedeck::createDevice(progId, componentsFolder(), folder.storePath()));
        recorder = device.get();
        deviceCalls = device->sharedCalls();
        return device;
    };
    window = std::make_unique<frmTunedeck>(Environment{.programFolder = folder.path(),
                                                       .programFolderProblem = folderProblem,
                                                       .exeBaseName = folder.exeBaseName(),
                                                       .createDevice = createDevice,
                                                       .prompts = &prompts,
                                                       .shell = &shell});
    QObject::connect(window->stbRioInfo, &StatusBar::panelTextChanged,
                     [this](int panel, const QString& text) {
                         if (panel == 1 && (statusTexts_.append(text), onStatusText))
                             onStatusText(text);
                     });
    window->Form_Load();
    return *window;
}

void WindowTest::onPlayer(const std::function<void(DeviceComponent&)>& work) const {
    const auto device = createEmulatedPlayer(folder.storePath());
    device->Open();
    const auto close = qScopeGuard([&] { device->Close(); });
    work(*device);
}

void WindowTest::setUpPlayer(const QString& state, const QString& memory) const {
    onPlayer([&](DeviceComponent& device) {
        device.Format(memory);
        const QStringList folders = state.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int index = 0; index < folders.size(); ++index) {
            device.AddFolder(folders[index].section(QLatin1Char(':'), 0, 0), memory);
            for (const QString& song :
                 folders[index].section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
                device.AddSong(qint16(index), song,
                               writeFile(folder.path() + QStringLiteral("/song"), songBytes(song)), memory);
        }
    });
}

QString WindowTest::playerState(const QString& memory) const {
    QStringList folders;
    onPlayer([&](DeviceComponent& device) {
        const std::vector<DeviceFolder> all = device.Folders(memory.toInt());
        for (qint16 index = 0; index < qint16(all.size()); ++index) {
            QStringList songs;
            for (const DeviceSong& song : device.Songs(memory.toInt(), index))
                songs << song.name;
            folders << all[index].name + QLatin1Char(':') + songs.join(QLatin1Char(','));
        }
    });
    return folders.join(QLatin1Char(' '));
}

QString WindowTest::shownState() const {
    QStringList folders;
    for (int i = 0; i < window->cmbFolder->count(); ++i)
        folders << window->cmbFolder->itemText(i);
    return folders.join(QLatin1Char(',')) + QStringLiteral(" / ") +
           rows(*window->lvwSong, 1).join(QLatin1Char(','));
}

void WindowTest::runPlayerCommand(const QStringList& arguments) const {
    const ProgramRun run = runProgram(builtProgram(QStringLiteral("tunedeck-player")),
                                      QStringList{QStringLiteral("--store"), folder.storePath()} + arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err.toStdString();
}

void WindowTest::selectPositions(ListView& list, const QList<int>& positions) {
    list.clearSelection();
    for (const int position : positions)
        list.selectionModel()->select(list.model()->index(position - 1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void WindowTest::expectGivenBack(const QWidget* focus) const {
    const frmTunedeck& w = *window;
    EXPECT_TRUE(w.isEnabled() && w.fraSong->isEnabled());
    EXPECT_TRUE(w.menuSend->isEnabled() && w.menuDel->isEnabled() && w.menuDown->isEnabled());
    EXPECT_FALSE(w.isRunning() || w.isBusy());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(w.focusWidget(), focus);
}

}  // namespace tunedeck::testing
