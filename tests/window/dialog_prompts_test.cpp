#include "prompts.h"

#include "qt_printers.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

// Runs `act` on the dialog of type D from inside its own event loop, once it is shown.
template <class D>
void whenShown(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* shown = QApplication::activeModalWidget();
        D* dialog = qobject_cast<D*>(shown);
        if (!dialog) {
            ADD_FAILURE() << "no such dialog shown";
            if (shown)
                shown->close();
            return;
        }
        act(*dialog);
    });
}

TEST(KeepFirstLineOfInsertion, DropsThePastedLinesAfterTheFirst) {
    const struct {
        const char* name;
        QString text;
        int cursor;
        QString kept;
        int keptCursor;
    } cases[] = {
        {"single line", "abc", 2, "abc", 2},
        {"pasted at the end", "%1\r\n%2", 6, "%1", 2},
        {"pasted in the middle", "<%1\n%2\n%3>", 9, "<%1>", 3},
        {"lone carriage returns", "a\rb\rc", 5, "a", 1},
        {"ends in a line break", "%2\n", 3, "%2", 2},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        int cursor = c.cursor;
        keepFirstLineOfInsertion(text, cursor);
        EXPECT_EQ(text, c.kept) << c.name;
        EXPECT_EQ(cursor, c.keptCursor) << c.name;
    }
}

TEST(DialogPrompts, InputKeepsTheFirstLineOfAPastedText) {
    whenShown<QInputDialog>([](QInputDialog& dialog) {
        QLineEdit* box = dialog.findChild<QLineEdit*>();
        box->setCursorPosition(3);
        QApplication::clipboard()->setText("- %2\r\n(%3)\r\n");
        box->paste();
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().input(nullptr, "prompt", "title", "%1  %5"), QString("%1 - %2 %5"));
}

TEST(DialogPrompts, MessagesShowMarkupAsText) {
    const QString text = R"(<b>x</b><img src="/tmp/x.png">)";
    const std::function<void()> shows[] = {
        [&] { EXPECT_TRUE(DialogPrompts().confirm(nullptr, text, "confirm")); },
        [&] { DialogPrompts().message(nullptr, text, "message", Prompts::Icon::Exclamation); },
    };
    for (const auto& show : shows) {
        whenShown<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.textFormat(), Qt::PlainText) << box.windowTitle().toStdString();
            EXPECT_EQ(box.text(), text);
            box.defaultButton()->click();
        });
        show();
    }
}

}  // namespace
}  // namespace tunedeck
