#include "ui/dialogs/TfrmQueryInput.h"

#include "i18n/Translate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmQueryInput::TfrmQueryInput(const QString& caption, const QString& prompt, const QString& value,
                               QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), Edit1(new QLineEdit(this)), Button1(new QPushButton(this)),
      Button2(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmQueryInput"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));

    setWindowTitle(' ' + caption);
    Label1->setWordWrap(true);
    Label1->setText(prompt);
    Label1->setBuddy(Edit1);
    Edit1->setText(value);
    Edit1->setMinimumWidth(340);
    Button1->setText(Translate(QStringLiteral("OK")));
    Button2->setText(Translate(QStringLiteral("Cancel")));
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    setResult(0);
}

QString TfrmQueryInput::Text() const
{
    return Edit1->text();
}

bool QueryInput(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    TfrmQueryInput dialog(caption, prompt, value, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.Text();
    return true;
}
