#include "ui/dialogs/TfrmPassword.h"

#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmPassword::TfrmPassword(QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), Edit1(new QLineEdit(this)), Label2(new QLabel(this)),
      Edit2(new QLineEdit(this)), CheckBox1(new QCheckBox(this)), Button2(new QPushButton(this)),
      Button1(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmPassword"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);

    // Enter confirms wherever the focus is.
    Button2->setDefault(true);
    Button1->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(Edit1, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(Edit2, 1, 1);
    fields->addWidget(CheckBox1, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Edit1->setMinimumWidth(260);

    connect(CheckBox1, &QCheckBox::toggled, this, &TfrmPassword::CheckBox1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmPassword::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmPassword::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

bool TfrmPassword::ChangePassword(QString& password)
{
    if (ShowModalResult() != 1)
        return false;
    password = Edit1->text().trimmed();
    return true;
}

void TfrmPassword::FormShow()
{
    setResult(0);
    setWindowTitle(' ' + Translate(QStringLiteral("Set Password")));
    Label1->setText(Translate(QStringLiteral("Password:")));
    Label2->setText(Translate(QStringLiteral("Confirm password")));
    CheckBox1->setText(Translate(QStringLiteral("Show password")));
    Button2->setText(Translate(QStringLiteral("OK")));
    Button1->setText(Translate(QStringLiteral("Cancel")));

    Edit1->clear();
    Edit2->clear();
    CheckBox1Click(CheckBox1->isChecked());
    Edit1->setFocus();
}

void TfrmPassword::CheckBox1Click(bool checked)
{
    const QLineEdit::EchoMode mode = checked ? QLineEdit::Normal : QLineEdit::Password;
    Edit1->setEchoMode(mode);
    Edit2->setEchoMode(mode);
}

void TfrmPassword::Button2Click()
{
    if (Edit1->text().trimmed() != Edit2->text().trimmed()) {
        ShowMessageDialog(Translate(QStringLiteral("Passwords do not match.")), mtError, mbOK, 0, this);
        return;
    }
    accept();
}
