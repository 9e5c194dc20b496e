#include "ui/dialogs/TfrmAddTime.h"

#include "i18n/Translate.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimeEdit>

TfrmAddTime::TfrmAddTime(QWidget* parent)
    : QDialog(parent, Qt::Tool), dtpTime(new QTimeEdit(this)), btOK(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmAddTime"));
    dtpTime->setObjectName(QStringLiteral("dtpTime"));
    btOK->setObjectName(QStringLiteral("btOK"));

    dtpTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    dtpTime->setTime(QTime(0, 0, 0));
    // Enter anywhere confirms.
    btOK->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(dtpTime);
    layout->addWidget(btOK);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
}

int TfrmAddTime::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

QTime TfrmAddTime::ChosenTime() const
{
    return dtpTime->time();
}

void TfrmAddTime::SetTime(const QTime& time)
{
    dtpTime->setTime(time);
}

void TfrmAddTime::SetPickerEnabled(bool enabled)
{
    dtpTime->setEnabled(enabled);
}

void TfrmAddTime::FormShow()
{
    setResult(0);
    setWindowTitle(Translate(QStringLiteral("Add...")));
    btOK->setText(Translate(QStringLiteral("OK")));
    dtpTime->setFocus();
}
