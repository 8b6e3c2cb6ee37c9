// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "prompts.h"
#include "shell.h"

#include <QEventLoop>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

// What the program asks of the user and of the desktop, answered from queues.
namespace tunedeck::testing {

// The next queued answer; a question nobody expected fails the test and gets `otherwise`.
template <class T>
T nextAnswer(QQueue<T>& answers, const T& otherwise, const QString& question) {
    EXPECT_FALSE(answers.isEmpty()) << "unexpected " << question.toStdString();
    return answers.isEmpty() ? otherwise : answers.dequeue();
}

// Answers the program's questions from queues and logs every prompt it shows. A question with no answer
// queued fails the test (an unexpected dialog) and is answered No, cancel, or with the preset font.
class ScriptedPrompts final : public Prompts {
  public:
    struct Shown {
        // text: the message, question or prompt, or a sync's summary for the choice answered; defaultText:
        // an input box's; font: a font dialog's preset
        QString text, title, defaultText;
        Icon icon = Icon::Information;  // messages only
        FontChoice font;
        // A sync's folders, "player folder|new folder" (the first empty where none is offered), and its
        // summary for each choice offered: into the player folder keeping and removing the songs only the
        // player has, then the same into the new folder.
        QString folders;
        QStringList summaries;
    };

    void answerConfirm(bool yes) { confirms_.enqueue(yes); }
    void answerInput(const QString& text) { inputs_.enqueue(text); }
    void answerFont(const FontChoice& font) { fonts_.enqueue(font); }
    void answerSync(const SyncChoice& choice) { syncs_.enqueue(choice); }
    // The next message stays open as a box does, taking events in a loop of its own, while `whileOpen` runs;
    // it is answered once that returns.
    void keepNextMessageOpen(std::function<void()> whileOpen) { whileOpen_ = std::move(whileOpen); }

    const QList<Shown>& shown() const { return shown_; }
    bool allAnswersUsed() const {
        return confirms_.isEmpty() && inputs_.isEmpty() && fonts_.isEmpty() && syncs_.isEmpty();
    }

    bool confirm(QWidget*, const QString& text, const QString& title) override {
        shown_.append({.text = text, .title = title, .icon = Icon::Exclamation});
        return nextAnswer(confirms_, false, QStringLiteral("question: ") + text);
    }
    void message(QWidget*, const QString& text, const QString& title, Icon icon) override {
        shown_.append({.text = text, .title = title, .icon = icon});
        if (const std::function<void()> whileOpen = std::exchange(whileOpen_, {})) {
            QEventLoop box;
            QTimer::singleShot(0, &box, [&] {
                whileOpen();
                box.quit();
            });
            box.exec();
        }
    }
    QString input(QWidget*, const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        shown_.append({.text = prompt, .title = title, .defaultText = defaultText});
        return nextAnswer(inputs_, QString(), QStringLiteral("input box: ") + prompt);
    }
    FontChoice chooseFont(QWidget*, const FontChoice& preset) override {
        shown_.append({.font = preset});
        return nextAnswer(fonts_, preset, QStringLiteral("font dialog"));
    }
    // Unanswered, No; an answer into the player folder where none is offered fails the test.
    SyncChoice chooseSync(QWidget*, const QString& title, const std::optional<QString>& playerFolder,
                          const QString& newFolder,
                          const std::function<QString(const SyncChoice&)>& summaryFor) override {
        Shown shown{.title = title, .folders = playerFolder.value_or(QString()) + u'|' + newFolder};
        for (const bool intoNew : {false, true})
            for (const bool removing : {false, true})
                if (intoNew || playerFolder)
                    shown.summaries << summaryFor({.newFolder = intoNew, .removeOnlyOnPlayer = removing});
        const SyncChoice answer = nextAnswer(syncs_, SyncChoice{}, QStringLiteral("sync: ") + newFolder);
        EXPECT_TRUE(answer.newFolder || playerFolder) << "no player folder offered";
        shown.text = summaryFor(answer);
        shown_.append(shown);
        return answer;
    }

  private:
    QQueue<bool> confirms_;
    QQueue<QString> inputs_;
    QQueue<FontChoice> fonts_;
    QQueue<SyncChoice> syncs_;
    QList<Shown> shown_;
    std::function<void()> whileOpen_;
};

// Answers each open with the next queued code and logs what was opened; an open with no code queued fails
// the test and answers 2 (file not found). The clipboard is a text of its own.
class ScriptedShell final : public Shell {
  public:
    void answerOpen(int code) { codes_.enqueue(code); }
    // What was opened, each as "folder|file name".
    const QStringList& opened() const { return opened_; }
    const QString& clipboardText() const { return clipboard_; }

    int open(const QString& folder, const QString& fileName) override {
        opened_.append(folder + u'|' + fileName);
        return nextAnswer(codes_, 2, QStringLiteral("open: ") + fileName);
    }
    void setClipboardText(const QString& text) override { clipboard_ = text; }

  private:
    QQueue<int> codes_;
    QStringList opened_;
    QString clipboard_;
};

}  // namespace tunedeck::testing
