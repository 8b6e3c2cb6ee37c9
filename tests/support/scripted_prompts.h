#pragma once

#include "prompts.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <gtest/gtest.h>

namespace tunedeck::testing {

// The next queued answer; a question nobody expected fails the test and gets `otherwise`.
template <class T>
T nextAnswer(QQueue<T>& answers, const T& otherwise, const QString& question) {
    if (answers.isEmpty()) {
        ADD_FAILURE() << "unexpected " << question.toStdString();
        return otherwise;
    }
    return answers.dequeue();
}

// Answers the program's questions from queues and logs every prompt it shows. A question with no answer
// queued fails the test (an unexpected dialog) and is answered No, cancel, or with the preset font.
class ScriptedPrompts final : public Prompts {
  public:
    struct Shown {
        QString kind;  // "confirm", "message", "input" or "font"
        QString text;  // the message, question or prompt
        QString title;
        Icon icon = Icon::Information;  // messages only
        QString defaultText;            // input boxes only
        FontChoice font;                // font dialogs only: the preset
    };

    void answerConfirm(bool yes) { confirms_.enqueue(yes); }
    void answerInput(const QString& text) { inputs_.enqueue(text); }
    void answerFont(const FontChoice& font) { fonts_.enqueue(font); }

    const QList<Shown>& shown() const { return shown_; }
    bool allAnswersUsed() const { return confirms_.isEmpty() && inputs_.isEmpty() && fonts_.isEmpty(); }

    bool confirm(QWidget*, const QString& text, const QString& title) override {
        shown_.append(
            {.kind = QStringLiteral("confirm"), .text = text, .title = title, .icon = Icon::Exclamation});
        return nextAnswer(confirms_, false, QStringLiteral("question: ") + text);
    }
    void message(QWidget*, const QString& text, const QString& title, Icon icon) override {
        shown_.append({.kind = QStringLiteral("message"), .text = text, .title = title, .icon = icon});
    }
    QString input(QWidget*, const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        shown_.append(
            {.kind = QStringLiteral("input"), .text = prompt, .title = title, .defaultText = defaultText});
        return nextAnswer(inputs_, QString(), QStringLiteral("input box: ") + prompt);
    }
    FontChoice chooseFont(QWidget*, const FontChoice& preset) override {
        shown_.append({.kind = QStringLiteral("font"), .font = preset});
        return nextAnswer(fonts_, preset, QStringLiteral("font dialog"));
    }

  private:
    QQueue<bool> confirms_;
    QQueue<QString> inputs_;
    QQueue<FontChoice> fonts_;
    QList<Shown> shown_;
};

}  // namespace tunedeck::testing
