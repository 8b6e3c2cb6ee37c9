#pragma once

#include "scripted_prompts.h"
#include "shell.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace tunedeck::testing {

// Answers each open with the next queued code and logs what was opened; an open with no code queued fails
// the test and answers 2 (file not found). The clipboard is a text of its own.
class ScriptedShell final : public Shell {
  public:
    struct Opened {
        QString folder, fileName;
        friend bool operator==(const Opened&, const Opened&) = default;
    };

    void answerOpen(int code) { codes_.enqueue(code); }
    const QList<Opened>& opened() const { return opened_; }
    const QString& clipboardText() const { return clipboard_; }

    int open(const QString& folder, const QString& fileName) override {
        opened_.append({folder, fileName});
        return nextAnswer(codes_, 2, QStringLiteral("open: ") + fileName);
    }
    void setClipboardText(const QString& text) override { clipboard_ = text; }

  private:
    QQueue<int> codes_;
    QList<Opened> opened_;
    QString clipboard_;
};

}  // namespace tunedeck::testing
