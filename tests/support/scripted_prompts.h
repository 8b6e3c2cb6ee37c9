#pragma once

#include "prompts.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace tunedeck::testing {

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

    bool confirm(QWidget* owner, const QString& text, const QString& title) override;
    void message(QWidget* owner, const QString& text, const QString& title, Icon icon) override;
    QString input(QWidget* owner, const QString& prompt, const QString& title, const QString& defaultText) override;
    FontChoice chooseFont(QWidget* owner, const FontChoice& preset) override;

private:
    QQueue<bool> confirms_;
    QQueue<QString> inputs_;
    QQueue<FontChoice> fonts_;
    QList<Shown> shown_;
};

}  // namespace tunedeck::testing
