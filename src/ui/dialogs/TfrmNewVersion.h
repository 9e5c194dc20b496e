#pragma once
// The new-version dialog: what the update server says is new, "Update Now" to download the signed
// package and open it with the desktop's handler, "Cancel" (or, while downloading, "Abort"). The check
// itself, the download and the signature live in the core.
#include "update/UpdateServer.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class TUpdateDownload;

struct TNewVersionServices
{
    TUpdateServer Server;
    // The folder the package is downloaded into.
    std::function<QString()> TempFolder;
    // Opens a verified package with the desktop's default handler for packages.
    std::function<void(const QString& path)> OpenPackage;
    // Opens the vendor's web site after a failed download.
    std::function<void(const QUrl& site)> OpenWebSite;
};

class TfrmNewVersion : public QDialog
{
public:
    explicit TfrmNewVersion(TNewVersionServices services, QWidget* parent = nullptr);
    ~TfrmNewVersion() override;
    Q_DISABLE_COPY_MOVE(TfrmNewVersion)

    // Asks the update server; true when an update is to be offered, the dialog's text then filled.
    bool NewAppVersionExists();
    // Shows the dialog modally: 1 when the program may go on, 0 when it must end (a forced update, or
    // the user started the update).
    int ShowModalResult();

    bool MustUpdate = false;
    bool AbortButtonIsClicked = false;
    QString strSoftwareInstallerFileName;

protected:
    void reject() override;

private:
    void FormShow();
    void btUpdateNowClick();
    void btCancelClick();
    void downloadFinished(bool ok, const QString& reason);

    TNewVersionServices services;
    std::unique_ptr<TUpdateDownload> download;
    int Tag = 1;
    QLabel* imIcon;
    QLabel* lbText;
    QProgressBar* pbDownload;
    QPushButton* btUpdateNow;
    QPushButton* btCancel;
};
