#include "window_fixture.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const QString kFormatting = QString::fromUtf8("メモリを初期化しています...");
const QString kFormatted = QString::fromUtf8("メモリの初期化が終了しました。");
const QString kFormatFailed = QString::fromUtf8("メモリの初期化でエラーが発生しました。");
const QString kCreating = QString::fromUtf8("フォルダを作成しています...");
const QString kCreated = QString::fromUtf8("フォルダを作成しました。");
const QString kCreateFailed = QString::fromUtf8("フォルダ作成に失敗しました。 Err:");
const QString kRemoving = QString::fromUtf8("フォルダを削除しています...");
const QString kRemoveFailed = QString::fromUtf8("フォルダ削除に失敗しました。 Err:");
const QString kNotConnected = QString::fromUtf8("Rio500が接続されていません。");
const QString kListFailed = QString::fromUtf8("曲リストの取得に失敗しました。 Err:");
const QString kFault = QString::fromUtf8("故障");

class FoldersFormatTest : public WindowTest {
  protected:
    // Gives `memory` exactly the folders `names`, a song in the first, and a song in the other memory.
    void setUpPlayer(const QString& memory, const QStringList& names) {
        auto device = storeDevice();
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        const QString song = folder.writeFile(u"song.mp3"_s, QByteArray(3000, 's'));
        const QString other = memory == u"0"_s ? u"1"_s : u"0"_s;
        device->Format(memory);
        device->Format(other);
        for (const QString& name : names)
            device->AddFolder(name, memory);
        if (!names.isEmpty())
            device->AddSong(0, u"song"_s, song, memory);
        device->AddFolder(u"other"_s, other);
        device->AddSong(0, u"kept"_s, song, other);
    }

    QStringList playerFolders(const QString& memory) const {
        auto device = storeDevice();
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        QStringList names;
        for (const DeviceFolder& f : device->Folders(memory.toInt()))
            names << f.name;
        return names;
    }

    QStringList shownFolders() const {
        QStringList names;
        for (int i = 0; i < window->cmbFolder->count(); ++i)
            names << window->cmbFolder->itemText(i);
        return names;
    }

    // Starts on `memory` with the song list focused and the log cleared.
    frmTunedeck& startOn(const QString& memory) {
        frmTunedeck& w = start();
        if (memory == u"1"_s)
            w.optRam[1]->click();
        w.lvwSong->setFocus();
        recorder->clearCalls();
        takeStatusTexts();
        return w;
    }
};

TEST_F(FoldersFormatTest, AnsweringNoSendsNothing) {
    setUpPlayer(u"0"_s, {u"a"_s, u"b"_s});
    frmTunedeck& w = startOn(u"0"_s);
    for (void (frmTunedeck::*click)() : {&frmTunedeck::menuFormat_Click, &frmTunedeck::menuRmDir_Click}) {
        prompts.answerConfirm(false);
        (w.*click)();
        EXPECT_TRUE(recorder->calls().isEmpty());
        EXPECT_TRUE(takeStatusTexts().isEmpty());
    }
    EXPECT_EQ(playerFolders(u"0"_s), QStringList({u"a"_s, u"b"_s}));
    ASSERT_EQ(prompts.shown().size(), 2);
    for (const auto& shown : prompts.shown())
        EXPECT_EQ(shown.title, QString::fromUtf8("確認"));
}

// Each memory erased alone, every text naming it, the panes read again.
TEST_F(FoldersFormatTest, FormatErasesTheChosenMemory) {
    const struct {
        const char* memory;
        const char* name;
    } cases[] = {{"0", "内蔵"}, {"1", "外部"}};
    for (const auto& [memoryText, memoryName] : cases) {
        SCOPED_TRACE(memoryText);
        const QString memory = QLatin1String(memoryText);
        setUpPlayer(memory, {u"a"_s, u"b"_s});
        frmTunedeck& w = startOn(memory);
        const QString name = QString::fromUtf8(memoryName);
        prompts.answerConfirm(true);
        w.menuFormat->trigger();

        EXPECT_EQ(prompts.shown().last().text,
                  name + QString::fromUtf8("メモリをフォーマットします。\rよろしいですか？"));
        EXPECT_EQ(recorder->calls(),
                  QStringList({u"Open()"_s, QStringLiteral("Format(\"%1\")").arg(memory), u"Close()"_s}) +
                      refreshCalls(true, false, memory));
        EXPECT_EQ(takeStatusTexts(),
                  QStringList{name + kFormatting} + refreshTexts() + QStringList{name + kFormatted});
        EXPECT_TRUE(playerFolders(memory).isEmpty());
        EXPECT_EQ(playerFolders(memory == QString(u"0"_s) ? u"1"_s : u"0"_s), QStringList({u"other"_s}));
        EXPECT_TRUE(shownFolders().isEmpty());
        EXPECT_EQ(w.lvwSong->itemCount(), 0);
        expectGivenBack(window->lvwSong);
        closeWindow();
    }
}

// The name reaches the player as typed, in the display font; an empty one (the box cancelled) too, and the
// player's refusal is shown.
TEST_F(FoldersFormatTest, CreateSendsTheNameAsTyped) {
    QString emptyRefused;
    try {
        auto device = storeDevice();
        device->Open();
        const auto close = qScopeGuard([&] { device->Close(); });
        device->AddFolder(u""_s, u"0"_s);
    } catch (const DeviceError& error) {
        emptyRefused = error.description();
    }
    ASSERT_FALSE(emptyRefused.isEmpty());

    const struct {
        const char* name;
        QStringList folders;
        int selected;
        QString last;
    } cases[] = {
        {"  新しい フォルダ ", {u"a"_s, u"b"_s, u"  新しい フォルダ "_s}, 0, kCreated},
        {"", {u"a"_s, u"b"_s, u"  新しい フォルダ "_s}, 2, kCreateFailed + emptyRefused},
    };
    setUpPlayer(u"0"_s, {u"a"_s, u"b"_s});
    frmTunedeck& w = startOn(u"0"_s);
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        w.cmbFolder->setCurrentIndex(w.cmbFolder->count() - 1);
        recorder->clearCalls();
        takeStatusTexts();
        prompts.answerInput(name);
        w.menuMkDir->trigger();

        EXPECT_EQ(prompts.shown().last().text, QString::fromUtf8("作るフォルダの名前を指定します。"));
        EXPECT_EQ(prompts.shown().last().title, QString::fromUtf8("フォルダ作成"));
        EXPECT_TRUE(prompts.shown().last().defaultText.isEmpty());
        QStringList calls = {u"Open()"_s, u"FontName(\""_s + w.displayFontName() + u"\")"_s,
                             QStringLiteral("FontSize(%1)").arg(w.displayFontSize()),
                             u"AddFolder(\""_s + name + u"\", \"0\")"_s, u"Close()"_s};
        QStringList texts = {kCreating};
        if (!name.isEmpty()) {
            calls += refreshCalls(true, true, u"0"_s);
            texts += refreshTexts();
        }
        EXPECT_EQ(recorder->calls(), calls);
        EXPECT_EQ(takeStatusTexts(), texts + QStringList{c.last});
        EXPECT_EQ(playerFolders(u"0"_s), c.folders);
        EXPECT_EQ(shownFolders(), c.folders);
        EXPECT_EQ(w.cmbFolder->currentIndex(), c.selected);
        expectGivenBack(window->lvwSong);
    }
}

// Two folders or more: the selected one is deleted. One or none: the memory is erased on the one question,
// and the list read twice.
TEST_F(FoldersFormatTest, RemoveDeletesOrFormats) {
    const struct {
        QString memory;
        QStringList folders;
        int selected;
        QStringList device;  // the calls before the refresh or refreshes
        QStringList left;
    } cases[] = {
        {u"0"_s,
         {u"a"_s, u"b"_s, u"c"_s},
         1,
         {u"Open()"_s, u"DeleteFolder(1, \"0\")"_s, u"Close()"_s},
         {u"a"_s, u"c"_s}},
        {u"1"_s, {u"a"_s, u"b"_s}, 0, {u"Open()"_s, u"DeleteFolder(0, \"1\")"_s, u"Close()"_s}, {u"b"_s}},
        {u"0"_s, {u"a"_s}, 0, {u"Open()"_s, u"Format(\"0\")"_s, u"Close()"_s}, {}},
        {u"1"_s, {u"a"_s}, 0, {u"Open()"_s, u"Format(\"1\")"_s, u"Close()"_s}, {}},
        {u"0"_s, {}, -1, {u"Open()"_s, u"Format(\"0\")"_s, u"Close()"_s}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.memory + c.folders.join(QLatin1Char(','))).toStdString());
        setUpPlayer(c.memory, c.folders);
        frmTunedeck& w = startOn(c.memory);
        w.cmbFolder->setCurrentIndex(c.selected);
        const int questions = int(prompts.shown().size());
        recorder->clearCalls();
        takeStatusTexts();
        prompts.answerConfirm(true);
        w.menuRmDir->trigger();

        const QString folderName = c.selected < 0 ? QString() : c.folders[c.selected];
        EXPECT_EQ(prompts.shown().size(), questions + 1) << "a second question";
        EXPECT_EQ(prompts.shown().last().text,
                  folderName + QString::fromUtf8("を削除します。\rよろしいですか？"));
        const bool formats = c.folders.size() < 2;
        const QStringList refresh = refreshCalls(true, !c.left.isEmpty(), c.memory);
        EXPECT_EQ(recorder->calls(), c.device + refresh + (formats ? refresh : QStringList()));
        const QString name = w.memoryName();
        const QStringList formatTexts =
            QStringList{name + kFormatting} + refreshTexts() + QStringList{name + kFormatted};
        EXPECT_EQ(takeStatusTexts(),
                  QStringList{kRemoving} + (formats ? formatTexts : QStringList()) + refreshTexts());
        EXPECT_EQ(playerFolders(c.memory), c.left);
        EXPECT_EQ(shownFolders(), c.left);
        EXPECT_EQ(w.cmbFolder->currentIndex(), c.left.isEmpty() ? -1 : 0);
        EXPECT_EQ(playerFolders(c.memory == QString(u"0"_s) ? u"1"_s : u"0"_s), QStringList({u"other"_s}));
        expectGivenBack(window->lvwSong);
        closeWindow();
    }
}

// Every member a command calls, failing at its call: the window comes back usable, the device closed, and
// the text says what happened. A command that failed before its change leaves the panes as they were; a
// failing refresh after a change does not hide the change.
struct Failure {
    const char* command;
    int folders;  // on the player before
    const char* member;
    int nth;
    QString last;
    int foldersAfter;
    bool panesKept;
};
void PrintTo(const Failure& f, std::ostream* out) {
    *out << f.command << ' ' << f.folders << " folders, " << f.member << " at call " << f.nth;
}

class FoldersFormatFailureTest : public FoldersFormatTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FoldersFormatFailureTest, GivesTheWindowBack) {
    const Failure& f = GetParam();
    setUpPlayer(u"0"_s, QStringList({u"a"_s, u"b"_s, u"c"_s}).mid(0, f.folders));
    frmTunedeck& w = startOn(u"0"_s);
    const QStringList listed = listRows(*w.lvwSong);
    const QString memoryPanel = w.stbRioInfo->panelText(2);
    recorder->failCall(QLatin1String(f.member), f.nth, kFault);
    const QString command = QLatin1String(f.command);
    if (command == u"mkdir"_s) {
        prompts.answerInput(u"new"_s);
        w.menuMkDir_Click();
    } else {
        prompts.answerConfirm(true);
        (w.*(command == u"format"_s ? &frmTunedeck::menuFormat_Click : &frmTunedeck::menuRmDir_Click))();
    }

    EXPECT_EQ(lastStatus(), f.last);
    expectGivenBack(window->lvwSong);
    const QStringList calls = recorder->calls();
    EXPECT_TRUE(calls.last() == u"Close()"_s || QLatin1String(f.member) == u"Open"_s)
        << calls.last().toStdString();
    auto device = storeDevice();
    EXPECT_NO_THROW(device->Open()) << "the window left the player open";
    device->Close();
    EXPECT_EQ(playerFolders(u"0"_s).size(), f.foldersAfter);
    if (f.panesKept) {
        EXPECT_EQ(shownFolders(), QStringList({u"a"_s, u"b"_s, u"c"_s}).mid(0, f.folders));
        EXPECT_EQ(listRows(*w.lvwSong), listed);
        EXPECT_EQ(w.stbRioInfo->panelText(2), memoryPanel);
    }
}

const QString kInternalFormatFailed = QString::fromUtf8("内蔵") + kFormatFailed;
const QString kInternalFormatted = QString::fromUtf8("内蔵") + kFormatted + QLatin1Char(' ');
const QString kCreatedUnread = kCreated + QLatin1Char(' ');

INSTANTIATE_TEST_SUITE_P(
    EveryMember, FoldersFormatFailureTest,
    ::testing::Values(Failure{"format", 2, "Open", 1, kInternalFormatFailed, 2, true},
                      Failure{"format", 2, "Format", 1, kInternalFormatFailed, 2, true},
                      Failure{"format", 2, "Close", 1, kInternalFormatFailed, 0, true},
                      Failure{"format", 2, "Open", 2, kInternalFormatted + kNotConnected, 0, false},
                      Failure{"format", 2, "Folders", 1, kInternalFormatted + kListFailed + kFault, 0, false},
                      Failure{"mkdir", 1, "Open", 1, kCreateFailed + kFault, 1, true},
                      Failure{"mkdir", 1, "FontName", 1, kCreateFailed + kFault, 1, true},
                      Failure{"mkdir", 1, "FontSize", 1, kCreateFailed + kFault, 1, true},
                      Failure{"mkdir", 1, "AddFolder", 1, kCreateFailed + kFault, 1, true},
                      Failure{"mkdir", 1, "Close", 1, kCreateFailed + kFault, 2, true},
                      Failure{"mkdir", 1, "Open", 2, kCreatedUnread + kNotConnected, 2, false},
                      Failure{"mkdir", 1, "Songs", 1, kCreatedUnread + kListFailed + kFault, 2, false},
                      Failure{"rmdir", 2, "Open", 1, kRemoveFailed + kFault, 2, true},
                      Failure{"rmdir", 2, "DeleteFolder", 1, kRemoveFailed + kFault, 2, true},
                      Failure{"rmdir", 2, "Close", 1, kRemoveFailed + kFault, 1, true},
                      Failure{"rmdir", 2, "ExtFlash", 1, kListFailed + kFault, 1, false},
                      // The last folder: a failed format is not hidden by the list read after it.
                      Failure{"rmdir", 1, "Format", 1, kInternalFormatFailed, 1, false},
                      Failure{"rmdir", 1, "Close", 1, kInternalFormatFailed, 0, false}),
    [](const ::testing::TestParamInfo<Failure>& info) {
        return std::string(info.param.command) + std::to_string(info.param.folders) + info.param.member +
               std::to_string(info.param.nth);
    });

}  // namespace
}  // namespace tunedeck::testing
