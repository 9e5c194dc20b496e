#include "ui/dialogs/TfrmEnterPassword.h"

#include "i18n/Translate.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmEnterPassword::TfrmEnterPassword(QWidget* parent)
    : QDialog(parent), lbPassword(new QLabel(this)), edPassword(new QLineEdit(this)),
      chShowPassword(new QCheckBox(this)), btOK(new QPushButton(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmEnterPassword"));
    edPassword->setObjectName(QStringLiteral("edPassword"));
    chShowPassword->setObjectName(QStringLiteral("chShowPassword"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    lbPassword->setBuddy(edPassword);

    // Enter confirms wherever the focus is, even on "Cancel".
    btOK->setDefault(true);
    btCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbPassword);
    layout->addWidget(edPassword);
    layout->addWidget(chShowPassword);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edPassword->setMinimumWidth(300);

    connect(chShowPassword, &QCheckBox::toggled, this, &TfrmEnterPassword::chShowPasswordClick);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmEnterPassword::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

QString TfrmEnterPassword::EnteredPassword() const
{
    return edPassword->text();
}

void TfrmEnterPassword::FormShow()
{
    setResult(0);
    setWindowTitle(' ' + Translate(QStringLiteral("Enter Password")));
    lbPassword->setText(Translate(QStringLiteral("Password:")));
    chShowPassword->setText(Translate(QStringLiteral("Show password")));
    btOK->setText(Translate(QStringLiteral("OK")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));

    edPassword->clear();
    chShowPassword->setChecked(false);
    chShowPasswordClick(false);
    edPassword->setFocus();
}

void TfrmEnterPassword::chShowPasswordClick(bool checked)
{
    edPassword->setEchoMode(checked ? QLineEdit::Normal : QLineEdit::Password);
}
