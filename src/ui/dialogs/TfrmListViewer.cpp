#include "ui/dialogs/TfrmListViewer.h"

#include "i18n/Translate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmListViewer::TfrmListViewer(QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), Memo1(new QPlainTextEdit(this)), btOK(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmListViewer"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    btOK->setObjectName(QStringLiteral("btOK"));

    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    resize(520, 360);

    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmListViewer::ShowList(const QStringList& sources)
{
    FormShow(sources);
    exec();
}

QString TfrmListViewer::ListText(const QStringList& sources)
{
    QStringList lines;
    lines.reserve(sources.size());
    for (const QString& source : sources) {
        // A checked folder is held as its path followed by a separator and "*"; the root "/*" shows
        // as "/", as a drive root shows as its drive.
        if (source == QLatin1String("/*"))
            lines << QStringLiteral("/");
        else if (source.size() >= 3 && source.endsWith('*'))
            lines << source.left(source.size() - 2);
        else
            lines << source;
    }
    return lines.join('\n');
}

void TfrmListViewer::FormShow(const QStringList& sources)
{
    setResult(0);
    setWindowTitle(Translate(QStringLiteral("View as list")));
    Label1->setText(Translate(QStringLiteral("View as list")) + ':');
    btOK->setText(Translate(QStringLiteral("OK")));
    Memo1->setPlainText(ListText(sources));
}
