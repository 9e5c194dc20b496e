#include "ui/dialogs/TfrmFindText.h"

#include "i18n/Translate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmFindText::TfrmFindText(QWidget* parent)
    : QDialog(parent), lbFindWhat(new QLabel(this)), edFindWhat(new QLineEdit(this)),
      chWholeWord(new QCheckBox(this)), chMatchCase(new QCheckBox(this)), btFindNext(new QPushButton(this)),
      btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmFindText"));
    edFindWhat->setObjectName(QStringLiteral("edFindWhat"));
    chWholeWord->setObjectName(QStringLiteral("chWholeWord"));
    chMatchCase->setObjectName(QStringLiteral("chMatchCase"));
    btFindNext->setObjectName(QStringLiteral("btFindNext"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    lbFindWhat->setBuddy(edFindWhat);
    edFindWhat->setMinimumWidth(240);
    btFindNext->setDefault(true);
    btFindNext->setEnabled(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btFindNext);
    buttons->addWidget(btCancel);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(lbFindWhat, 0, 0);
    layout->addWidget(edFindWhat, 0, 1);
    layout->addWidget(chWholeWord, 1, 0, 1, 2);
    layout->addWidget(chMatchCase, 2, 0, 1, 2);
    layout->addLayout(buttons, 0, 2, 3, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(edFindWhat, &QLineEdit::textChanged, this,
            [this](const QString& text) { btFindNext->setEnabled(!text.isEmpty()); });
    connect(btFindNext, &QPushButton::clicked, this, &TfrmFindText::btFindNextClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmFindText::ShowOver(const QWidget* area)
{
    setWindowTitle(Translate(QStringLiteral("Find")));
    lbFindWhat->setText(Translate(QStringLiteral("Find what:")));
    chWholeWord->setText(Translate(QStringLiteral("Match whole word only")));
    chMatchCase->setText(Translate(QStringLiteral("Match case")));
    btFindNext->setText(Translate(QStringLiteral("Find Next")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));

    adjustSize();
    const QPoint centre = area->mapToGlobal(area->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
    edFindWhat->setFocus();
    edFindWhat->selectAll();
}

void TfrmFindText::btFindNextClick()
{
    if (!edFindWhat->text().isEmpty() && FindNext)
        FindNext(edFindWhat->text(), chMatchCase->isChecked(), chWholeWord->isChecked());
}
