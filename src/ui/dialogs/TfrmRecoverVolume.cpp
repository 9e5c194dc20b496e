#include "ui/dialogs/TfrmRecoverVolume.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/FileChooser.h"
#include "ui/widgets/NamedWidget.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmRecoverVolume::TfrmRecoverVolume(TChecks checks, QWidget* parent)
    : QDialog(parent), checks(std::move(checks))
{
    setObjectName(QStringLiteral("frmRecoverVolume"));
    lbVersion = MakeNamed<QLabel>(this, "lbVersion");
    cbVersion = MakeNamed<QComboBox>(this, "cbVersion");
    lbVolume = MakeNamed<QLabel>(this, "lbVolume");
    cbVolume = MakeNamed<QComboBox>(this, "cbVolume");
    lbRecoveryTarget = MakeNamed<QLabel>(this, "lbRecoveryTarget");
    edRecoveryTarget = MakeNamed<QLineEdit>(this, "edRecoveryTarget");
    btSelectTarget = MakeNamed<QPushButton>(this, "btSelectTarget");
    btOK = MakeNamed<QPushButton>(this, "btOK");
    btCancel = MakeNamed<QPushButton>(this, "btCancel");
    lbVersion->setBuddy(cbVersion);
    lbVolume->setBuddy(cbVolume);
    lbRecoveryTarget->setBuddy(edRecoveryTarget);
    btOK->setDefault(true);
    btCancel->setAutoDefault(false);
    edRecoveryTarget->setMinimumWidth(380);

    auto* target = new QHBoxLayout;
    target->addWidget(edRecoveryTarget, 1);
    target->addWidget(btSelectTarget);
    auto* fields = new QGridLayout;
    fields->addWidget(lbVersion, 0, 0);
    fields->addWidget(cbVersion, 0, 1);
    fields->addWidget(lbVolume, 1, 0);
    fields->addWidget(cbVolume, 1, 1);
    fields->addWidget(lbRecoveryTarget, 2, 0);
    fields->addLayout(target, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbVolume, &QComboBox::currentIndexChanged, this,
            [this](int index) { edRecoveryTarget->setText(targets.value(index)); });
    connect(btSelectTarget, &QPushButton::clicked, this, [this] {
        const QString file = ChooseOpenFileName(this, Translate(QStringLiteral("Choose a volume file")),
                                                QFileInfo(edRecoveryTarget->text()).path(), QString());
        if (!file.isEmpty())
            edRecoveryTarget->setText(file);
    });
    connect(btOK, &QPushButton::clicked, this, &TfrmRecoverVolume::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmRecoverVolume::ChooseRecovery(const QList<TImageVersionInfo>& versionList,
                                       const QStringList& volumes, const QStringList& volumeTargets,
                                       TRecoveryRequest& request)
{
    FormShow();
    versions = versionList;
    targets = volumeTargets;
    cbVersion->clear();
    // Newest first: the one a recovery usually wants.
    for (qsizetype i = versions.size() - 1; i >= 0; --i)
        cbVersion->addItem(versions[i].BackupTime + QStringLiteral("  (") + versions[i].Volumes + ')',
                           versions[i].Identifier);
    cbVolume->clear();
    cbVolume->addItems(volumes);
    cbVolume->setCurrentIndex(0);
    edRecoveryTarget->setText(targets.value(0));
    if (exec() != QDialog::Accepted)
        return false;
    request.Version = cbVersion->currentData().toString();
    request.Volume = cbVolume->currentText();
    request.Target = edRecoveryTarget->text().trimmed();
    return true;
}

void TfrmRecoverVolume::FormShow()
{
    setResult(0);
    setWindowTitle(' ' + Translate(QStringLiteral("Recover Volume")));
    lbVersion->setText(Translate(QStringLiteral("Backup version:")));
    cbVersion->setAccessibleName(lbVersion->text());
    lbVolume->setText(Translate(QStringLiteral("Volume:")));
    cbVolume->setAccessibleName(lbVolume->text());
    lbRecoveryTarget->setText(Translate(QStringLiteral("Recover onto:")));
    edRecoveryTarget->setAccessibleName(lbRecoveryTarget->text());
    btSelectTarget->setText(Translate(QStringLiteral("Select...")));
    btSelectTarget->setAccessibleName(Translate(QStringLiteral("Choose a volume file")));
    btOK->setText(Translate(QStringLiteral("Recover")));
    btOK->setAccessibleName(btOK->text());
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    btCancel->setAccessibleName(btCancel->text());
}

void TfrmRecoverVolume::btOKClick()
{
    const QString target = edRecoveryTarget->text().trimmed();
    const QString refusal = checks.Refusal ? checks.Refusal(target) : QString();
    if (!refusal.isEmpty()) {
        ShowMessageDialog(refusal, mtError, mbOK, 0, this);
        return;
    }
    const QString question =
        FillPlaceholders(
            Translate(QStringLiteral("Recovering volume %s from the backup of %s replaces all data on "
                                     "%s.")),
            {cbVolume->currentText(), cbVersion->currentText().section(QStringLiteral("  ("), 0, 0),
             checks.Describe ? checks.Describe(target) : target}) +
        QStringLiteral("\n\n") + Translate(QStringLiteral("Do you want to continue?"));
    if (ShowMessageDialog(question, mtConfirmation, mbYesNo, 0, this) == mrYes)
        accept();
}
