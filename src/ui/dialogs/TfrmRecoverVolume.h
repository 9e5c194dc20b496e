#pragma once
// "Recover now...": the version, the volume and the target of a drive image recovery that runs while
// the system runs. The target is checked and confirmed, with its name and size, before it is accepted.
#include "driveimage/DriveImageRecovery.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmRecoverVolume : public QDialog
{
public:
    struct TChecks
    {
        // Why a target is refused (translated), or empty.
        std::function<QString(const QString& target)> Refusal;
        // The target with its size, for the confirmation.
        std::function<QString(const QString& target)> Describe;
    };
    explicit TfrmRecoverVolume(TChecks checks, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmRecoverVolume)

    // Shows the dialog modally on `versions` (oldest first; the newest is selected) and `volumes`, each
    // proposed with the target of the same index. True with `request` filled when confirmed.
    bool ChooseRecovery(const QList<TImageVersionInfo>& versions, const QStringList& volumes,
                        const QStringList& targets, TRecoveryRequest& request);

private:
    void FormShow();
    void btOKClick();

    TChecks checks;
    QList<TImageVersionInfo> versions;
    QStringList targets;
    QLabel* lbVersion;
    QComboBox* cbVersion;
    QLabel* lbVolume;
    QComboBox* cbVolume;
    QLabel* lbRecoveryTarget;
    QLineEdit* edRecoveryTarget;
    QPushButton* btSelectTarget;
    QPushButton* btOK;
    QPushButton* btCancel;
};
