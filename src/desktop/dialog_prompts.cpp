// SPDX-License-Identifier: GPL-3.0-or-later
#include "prompts.h"

#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QValidator>

#include <algorithm>

namespace tunedeck {
namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r';
}

// The line edit runs every change (typing, pasting, dropping, setting the text) through its validator,
// which may rewrite the text: the one place that sees them all.
class FirstLineOnly final : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& text, int& cursor) const override {
        keepFirstLineOfInsertion(text, cursor);
        return Acceptable;
    }
};

int showMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& text, const QString& title,
                   QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

void keepFirstLineOfInsertion(QString& text, int& cursor) {
    const auto first = std::find_if(text.cbegin(), text.cend(), isLineBreak);
    if (first == text.cend())
        return;
    const int from = int(first - text.cbegin());
    const int lastBreak = int(std::find_if(text.crbegin(), text.crend(), isLineBreak).base() - text.cbegin());
    const int to = std::max(cursor, lastBreak);
    text.remove(from, to - from);
    cursor = std::min(cursor, from);
}

bool DialogPrompts::confirm(QWidget* owner, const QString& text, const QString& title) {
    return showMessageBox(owner, QMessageBox::Warning, text, title, QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Yes) == QMessageBox::Yes;
}

void DialogPrompts::message(QWidget* owner, const QString& text, const QString& title, Icon icon) {
    showMessageBox(owner, icon == Icon::Information ? QMessageBox::Information : QMessageBox::Warning, text,
                   title, QMessageBox::Ok, QMessageBox::Ok);
}

QString DialogPrompts::input(QWidget* owner, const QString& prompt, const QString& title,
                             const QString& defaultText) {
    QString label = prompt;
    label.replace(u'\r', u'\n');
    QInputDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    QLineEdit* box = dialog.findChild<QLineEdit*>();
    box->setValidator(new FirstLineOnly(box));
    dialog.setTextValue(defaultText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

FontChoice DialogPrompts::chooseFont(QWidget* owner, const FontChoice& preset) {
    QFont initial(preset.name);
    if (preset.pointSize > 0)
        initial.setPointSizeF(preset.pointSize);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, owner);
    if (!ok)
        return preset;
    return {font.family(), font.pointSizeF()};
}

}  // namespace tunedeck
