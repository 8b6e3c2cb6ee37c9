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

using namespace Qt::StringLiterals;

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
        {"single line", u"abc"_s, 2, u"abc"_s, 2},
        {"pasted at the end", u"%1\r\n%2"_s, 6, u"%1"_s, 2},
        {"pasted in the middle", u"<%1\n%2\n%3>"_s, 9, u"<%1>"_s, 3},
        {"lone carriage returns", u"a\rb\rc"_s, 5, u"a"_s, 1},
        {"ends in a line break", u"%2\n"_s, 3, u"%2"_s, 2},
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
        QApplication::clipboard()->setText(u"- %2\r\n(%3)\r\n"_s);
        box->paste();
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().input(nullptr, u"prompt"_s, u"title"_s, u"%1  %5"_s), QString(u"%1 - %2 %5"_s));
}

TEST(DialogPrompts, MessagesShowMarkupAsText) {
    const QString text = uR"(<b>x</b><img src="/tmp/x.png">)"_s;
    const std::function<void()> shows[] = {
        [&] { EXPECT_TRUE(DialogPrompts().confirm(nullptr, text, u"confirm"_s)); },
        [&] { DialogPrompts().message(nullptr, text, u"message"_s, Prompts::Icon::Exclamation); },
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
