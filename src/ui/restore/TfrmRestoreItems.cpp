#include "ui/restore/TfrmRestoreItems.h"

#include "i18n/Translate.h"
#include "ui/restore/RestoreItemsModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TfrmRestoreItems::TfrmRestoreItems(QWidget* parent)
    : QDialog(parent), lbPoint(new QLabel(this)), tvItems(new QTreeView(this)), lbChosen(new QLabel(this)),
      btOK(new QPushButton(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmRestoreItems"));
    lbPoint->setObjectName(QStringLiteral("lbPoint"));
    tvItems->setObjectName(QStringLiteral("tvItems"));
    lbChosen->setObjectName(QStringLiteral("lbChosen"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    tvItems->setAccessibleName(QStringLiteral("Files and folders"));
    lbPoint->setAccessibleName(QStringLiteral("Restore point"));
    lbChosen->setAccessibleName(QStringLiteral("Chosen items"));
    btOK->setAccessibleName(QStringLiteral("Restore"));
    btCancel->setAccessibleName(QStringLiteral("Cancel"));
    resize(520, 420);
    tvItems->setHeaderHidden(true);
    tvItems->setUniformRowHeights(true); // rows of large folders are laid out without measuring each
    lbPoint->setWordWrap(true);
    btOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lbChosen, 1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbPoint);
    layout->addWidget(tvItems, 1);
    layout->addLayout(buttons);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmRestoreItems::~TfrmRestoreItems() = default;

void TfrmRestoreItems::updateState()
{
    const bool any = itemsModel && itemsModel->anythingChecked();
    btOK->setEnabled(any);
    lbChosen->setText(any ? QString()
                          : Translate(QStringLiteral("Please check the files and folders to restore.")));
}

bool TfrmRestoreItems::ChooseItems(const TPointContents& contents, const QString& pointLabel,
                                   QStringList& items)
{
    setWindowTitle(' ' + Translate(QStringLiteral("Choose the items to restore")));
    lbPoint->setText(pointLabel.isEmpty()
                         ? Translate(QStringLiteral("The files and folders of the mirror:"))
                         : Translate(QStringLiteral("The files and folders as they were at %1:"))
                               .replace(QLatin1String("%1"), pointLabel));
    btOK->setText(Translate(QStringLiteral("Restore")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    auto model = std::make_unique<TRestoreItemsModel>(contents);
    connect(model.get(), &TRestoreItemsModel::checksChanged, this, &TfrmRestoreItems::updateState);
    tvItems->setModel(model.get());
    itemsModel = std::move(model);
    updateState();
    const bool confirmed = exec() == QDialog::Accepted && itemsModel->anythingChecked();
    if (confirmed) {
        items = itemsModel->chosenItems();
        // The top checked whole is the same as no choice at all.
        if (items == QStringList{QString()} || items == QStringList{QStringLiteral("")})
            items.clear();
    }
    tvItems->setModel(nullptr);
    itemsModel.reset();
    return confirmed;
}
