#include "ui/restore/TfrmRestoreList.h"

#include "i18n/Translate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
template <class W> W* named(W* widget, const char* name, const char* accessible)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(QString::fromUtf8(accessible));
    return widget;
}
} // namespace

TfrmRestoreList::TfrmRestoreList(QWidget* parent)
    : QDialog(parent), Panel3(named(new QFrame(this), "Panel3", "Heading")),
      Label1(named(new QLabel(Panel3), "Label1", "Heading text")),
      ListBox1(named(new QListWidget(this), "ListBox1", "Restore points")),
      Panel2(named(new QLabel(this), "Panel2", "Loading")),
      pnItems(named(new QFrame(this), "pnItems", "What to restore")),
      rbRestoreEverything(named(new QRadioButton(pnItems), "rbRestoreEverything", "Restore everything")),
      rbChooseItems(named(new QRadioButton(pnItems), "rbChooseItems", "Choose items")),
      Panel1(named(new QFrame(this), "Panel1", "Buttons")),
      Button1(named(new QPushButton(Panel1), "Button1", "OK")),
      Button2(named(new QPushButton(Panel1), "Button2", "Cancel"))
{
    setObjectName(QStringLiteral("frmRestoreList"));
    resize(417, 235);
    Panel3->setFixedHeight(35);
    auto* top = new QHBoxLayout(Panel3);
    top->setContentsMargins(8, 0, 8, 0);
    top->addWidget(Label1, 0, Qt::AlignVCenter);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setAutoFillBackground(true);
    Panel2->setBackgroundRole(QPalette::Base);
    Panel2->hide();
    auto* items = new QHBoxLayout(pnItems);
    items->setContentsMargins(8, 4, 8, 0);
    items->addWidget(rbRestoreEverything);
    items->addWidget(rbChooseItems);
    items->addStretch();
    rbRestoreEverything->setChecked(true);
    Panel1->setFixedHeight(38);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->addStretch();
    for (QPushButton* button : {Button1, Button2}) {
        button->setMinimumSize(75, 25);
        buttons->addWidget(button);
    }
    Button1->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel3);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(Panel2, 1);
    layout->addWidget(pnItems);
    layout->addWidget(Panel1);

    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TfrmRestoreList::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TfrmRestoreList::Button1Click);
    connect(Button1, &QPushButton::clicked, this, &TfrmRestoreList::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmRestoreList::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmRestoreList::FormShow()
{
    Tag = 0;
    ListBox1Click();
    Panel2->setText(Translate(QStringLiteral("Loading the list of backups...")));
    setWindowTitle(' ' + Translate(QStringLiteral("Restore")));
    Label1->setText(mirror ? Translate(QStringLiteral("The backup is a mirror. What do you want to restore?"))
                           : Translate(QStringLiteral("Please choose a restore point:")));
    rbRestoreEverything->setText(Translate(QStringLiteral("Restore everything")));
    rbChooseItems->setText(Translate(QStringLiteral("Choose items...")));
    Button1->setText(Translate(QStringLiteral("OK")));
    Button2->setText(Translate(QStringLiteral("Cancel")));
    if (screen())
        move(screen()->availableGeometry().center() - rect().center());
}

void TfrmRestoreList::ListBox1Click()
{
    Button1->setEnabled(mirror || !ListBox1->selectedItems().isEmpty());
}

void TfrmRestoreList::Button1Click()
{
    if (!Button1->isEnabled())
        return;
    Tag = 1;
    accept();
}

void TfrmRestoreList::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TfrmRestoreList::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmRestoreList::FormClose()
{
    if (Panel2->isVisible())
        QApplication::restoreOverrideCursor();
    Panel2->hide();
    Panel3->show();
    ListBox1->setVisible(!mirror);
    pnItems->show();
    Panel1->show();
}

void TfrmRestoreList::ShowLoading()
{
    if (isVisible())
        return;
    mirror = false;
    Panel3->hide();
    ListBox1->hide();
    pnItems->hide();
    Panel1->hide();
    Panel2->show();
    setModal(false);
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();
}

void TfrmRestoreList::CloseLoading()
{
    if (isVisible())
        close();
}

bool TfrmRestoreList::IsLoading() const
{
    return isVisible() && Panel2->isVisible();
}

bool TfrmRestoreList::runChoosing(bool forMirror, bool& chooseItems)
{
    mirror = forMirror;
    FormClose();
    rbRestoreEverything->setChecked(true);
    // Without the list a mirror needs only the heading, the choice and the buttons.
    resize(417, mirror ? 35 + 30 + 38 : 235);
    setModal(true);
    exec();
    chooseItems = rbChooseItems->isChecked();
    mirror = false;
    return Tag == 1;
}

bool TfrmRestoreList::ChoosePoint(const QStringList& labels, qint32& index, bool& chooseItems)
{
    ListBox1->clear();
    ListBox1->addItems(labels);
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
    if (!runChoosing(false, chooseItems))
        return false;
    index = ListBox1->currentRow();
    return index >= 0;
}

bool TfrmRestoreList::ChooseForMirror(bool& chooseItems)
{
    ListBox1->clear();
    return runChoosing(true, chooseItems);
}
