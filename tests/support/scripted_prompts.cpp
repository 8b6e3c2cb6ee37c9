#include "scripted_prompts.h"

#include <gtest/gtest.h>

namespace tunedeck::testing {

bool ScriptedPrompts::confirm(QWidget*, const QString& text, const QString& title) {
    shown_.append({.kind = QStringLiteral("confirm"), .text = text, .title = title, .icon = Icon::Exclamation});
    if (confirms_.isEmpty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    return confirms_.dequeue();
}

void ScriptedPrompts::message(QWidget*, const QString& text, const QString& title, Icon icon) {
    shown_.append({.kind = QStringLiteral("message"), .text = text, .title = title, .icon = icon});
}

QString ScriptedPrompts::input(QWidget*, const QString& prompt, const QString& title, const QString& defaultText) {
    shown_.append({.kind = QStringLiteral("input"), .text = prompt, .title = title, .defaultText = defaultText});
    if (inputs_.isEmpty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return {};
    }
    return inputs_.dequeue();
}

FontChoice ScriptedPrompts::chooseFont(QWidget*, const FontChoice& preset) {
    shown_.append({.kind = QStringLiteral("font"), .font = preset});
    if (fonts_.isEmpty()) {
        ADD_FAILURE() << "unexpected font dialog";
        return preset;
    }
    return fonts_.dequeue();
}

}  // namespace tunedeck::testing
