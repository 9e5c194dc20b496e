#include "ui/dialogs/TfrmOpenJobDialog.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/FileChooser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString JobFileExtension = QStringLiteral(".kxj");

QString JobFileFilter()
{
    return '*' + JobFileExtension;
}

} // namespace

TfrmOpenJobDialog::TfrmOpenJobDialog(QWidget* parent)
    : QDialog(parent), lbInfo(new QLabel(this)), lbJobFile(new QLabel(this)), edJobFile(new QLineEdit(this)),
      btBrowse(new QPushButton(this)), btImport(new QPushButton(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmOpenJobDialog"));
    lbInfo->setObjectName(QStringLiteral("lbInfo"));
    lbJobFile->setObjectName(QStringLiteral("lbJobFile"));
    edJobFile->setObjectName(QStringLiteral("edJobFile"));
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btImport->setObjectName(QStringLiteral("btImport"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    lbInfo->setWordWrap(true);
    lbJobFile->setBuddy(edJobFile);

    btImport->setDefault(true);
    btBrowse->setAutoDefault(false);
    btCancel->setAutoDefault(false);

    auto* path = new QHBoxLayout;
    path->addWidget(lbJobFile);
    path->addWidget(edJobFile, 1);
    path->addWidget(btBrowse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btImport);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbInfo);
    layout->addSpacing(6);
    layout->addLayout(path);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    edJobFile->setMinimumWidth(380);

    connect(btBrowse, &QPushButton::clicked, this, &TfrmOpenJobDialog::btBrowseClick);
    connect(btImport, &QPushButton::clicked, this, &TfrmOpenJobDialog::btImportClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, [this] { DefaultPath.clear(); });
}

int TfrmOpenJobDialog::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

QString TfrmOpenJobDialog::JobFilePath() const
{
    return edJobFile->text();
}

void TfrmOpenJobDialog::FormShow()
{
    setResult(0);
    setWindowTitle(Translate(QStringLiteral("Import")));
    lbInfo->setText(Translate(QStringLiteral("You can import job directly from the storage.")) + ' ' +
                    FillPlaceholders(Translate(QStringLiteral(
                                         "Click \"Browse...\" and find the job file (%s) on your storage.")),
                                     {JobFileFilter()}));
    lbJobFile->setText(Translate(QStringLiteral("Job File:")));
    btBrowse->setText(Translate(QStringLiteral("Browse...")));
    btImport->setText(Translate(QStringLiteral("Import")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    edJobFile->setText(DefaultPath);
    edJobFile->setFocus();
}

void TfrmOpenJobDialog::btBrowseClick()
{
    const QString chosen =
        ChooseOpenFileName(this, Translate(QStringLiteral("Import")), edJobFile->text(), JobFileFilter());
    if (!chosen.isEmpty())
        edJobFile->setText(chosen);
}

void TfrmOpenJobDialog::btImportClick()
{
    if (!edJobFile->text().contains(JobFileExtension)) {
        ShowMessageDialog(
            FillPlaceholders(Translate(QStringLiteral("Click \"Browse...\" and find the job file %s.")),
                             {JobFileFilter()}),
            mtError, mbOK, 0, this);
        return;
    }
    accept();
}
