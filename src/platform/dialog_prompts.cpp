#include "prompts.h"

#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tunedeck {

bool DialogPrompts::confirm(QWidget* owner, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void DialogPrompts::message(QWidget* owner, const QString& text, const QString& title, Icon icon) {
    QMessageBox box(icon == Icon::Information ? QMessageBox::Information : QMessageBox::Warning, title, text,
                    QMessageBox::Ok, owner);
    box.exec();
}

QString DialogPrompts::input(QWidget* owner, const QString& prompt, const QString& title,
                             const QString& defaultText) {
    QString label = prompt;
    label.replace('\r', '\n');
    bool ok = false;
    const QString text = QInputDialog::getText(owner, title, label, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
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
