// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tunedeck {

struct FontChoice {
    QString name;
    double pointSize = 0;
};

// What a sync was told to do: into the player folder chosen or into the folder named after the computer
// folder, with the songs only the player has kept or removed; `accepted` is Yes.
struct SyncChoice {
    bool newFolder = false;
    bool removeOnlyOnPlayer = false;
    bool accepted = false;
};

// Every question and message the program puts to the user. The window never opens a dialog itself, so tests
// can answer in its place.
class Prompts {
  public:
    enum class Icon { Information, Exclamation };

    virtual ~Prompts() = default;

    // Yes and No with the exclamation icon, Yes the default; true for Yes.
    virtual bool confirm(QWidget* owner, const QString& text, const QString& title) = 0;

    // A message with an OK button.
    virtual void message(QWidget* owner, const QString& text, const QString& title, Icon icon) = 0;

    // A single-line input box; the text as typed, or an empty text when cancelled. A carriage return in the
    // prompt starts a new line.
    virtual QString input(QWidget* owner, const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;

    // The font dialog listing screen fonts; the preset comes back unchanged when cancelled.
    virtual FontChoice chooseFont(QWidget* owner, const FontChoice& preset) = 0;

    // A sync's one question: into `playerFolder` (offered only when the player has a folder chosen) or into
    // `newFolder`, the songs only the player has kept (at first) or removed, then Yes or No. `summaryFor`
    // tells what each choice would do, shown anew as the choice changes.
    virtual SyncChoice chooseSync(QWidget* owner, const QString& title,
                                  const std::optional<QString>& playerFolder, const QString& newFolder,
                                  const std::function<QString(const SyncChoice&)>& summaryFor) = 0;
};

// A single-line box after an insertion that ends at `cursor`: an inserted text keeps only its first line, as
// pasting into a one-line box always has. The first line break and everything after it up to the cursor
// are dropped; the text after the cursor, which was there before, stays.
void keepFirstLineOfInsertion(QString& text, int& cursor);

// The real dialogs. Messages show their text as it is, never as markup: a device's description may hold
// tags.
class DialogPrompts final : public Prompts {
  public:
    bool confirm(QWidget* owner, const QString& text, const QString& title) override;
    void message(QWidget* owner, const QString& text, const QString& title, Icon icon) override;
    QString input(QWidget* owner, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    FontChoice chooseFont(QWidget* owner, const FontChoice& preset) override;
    SyncChoice chooseSync(QWidget* owner, const QString& title, const std::optional<QString>& playerFolder,
                          const QString& newFolder,
                          const std::function<QString(const SyncChoice&)>& summaryFor) override;
};

}  // namespace tunedeck
