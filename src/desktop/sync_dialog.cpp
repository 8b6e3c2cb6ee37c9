// SPDX-License-Identifier: GPL-3.0-or-later
#include "prompts.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tunedeck {
namespace {

// A folder name in a button's caption: an "&" in it is a character, not the mark of a shortcut key.
QString captionText(QString name) {
    return name.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

// The summary is plain text, as every message is: a folder name may hold tags. Yes and No are the standard
// buttons, so they speak the installed translation as the confirmations' do.
SyncChoice DialogPrompts::chooseSync(QWidget* owner, const QString& title,
                                     const std::optional<QString>& playerFolder, const QString& newFolder,
                                     const std::function<QString(const SyncChoice&)>& summaryFor) {
    QDialog dialog(owner);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* summary = new QLabel(&dialog);
    summary->setTextFormat(Qt::PlainText);
    layout->addWidget(summary);
    if (playerFolder) {
        auto* intoChosen = new QRadioButton(
            QStringLiteral("プレーヤーのフォルダ「%1」").arg(captionText(*playerFolder)), &dialog);
        intoChosen->setChecked(true);
        layout->addWidget(intoChosen);
    }
    auto* intoNew = new QRadioButton(
        QStringLiteral("コンピュータのフォルダと同じ名前のフォルダ「%1」").arg(captionText(newFolder)),
        &dialog);
    intoNew->setChecked(!playerFolder);
    layout->addWidget(intoNew);
    auto* removing = new QCheckBox(QStringLiteral("プレーヤーにだけある曲を削除する"), &dialog);
    layout->addWidget(removing);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, &dialog);
    buttons->button(QDialogButtonBox::Yes)->setDefault(true);
    layout->addWidget(buttons);

    const auto chosen = [&](bool accepted) {
        return SyncChoice{.newFolder = intoNew->isChecked(),
                          .removeOnlyOnPlayer = removing->isChecked(),
                          .accepted = accepted};
    };
    const auto showSummary = [&] { summary->setText(summaryFor(chosen(false))); };
    showSummary();
    QObject::connect(intoNew, &QRadioButton::toggled, &dialog, showSummary);
    QObject::connect(removing, &QCheckBox::toggled, &dialog, showSummary);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return chosen(dialog.exec() == QDialog::Accepted);
}

}  // namespace tunedeck
