#include "ui/dialogs/TfrmNewVersion.h"

#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/NamedWidget.h"
#include "update/uNewVersionCheck.h"
#include "update/UpdateDownload.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfrmNewVersion::TfrmNewVersion(TNewVersionServices services, QWidget* parent)
    : QDialog(parent), services(std::move(services)), imIcon(MakeNamed<QLabel>(this, "imIcon")),
      lbText(MakeNamed<QLabel>(this, "lbText")), pbDownload(MakeNamed<QProgressBar>(this, "pbDownload")),
      btUpdateNow(MakeNamed<QPushButton>(this, "btUpdateNow")),
      btCancel(MakeNamed<QPushButton>(this, "btCancel"))
{
    setObjectName(QStringLiteral("frmNewVersion"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    imIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
    imIcon->setAlignment(Qt::AlignTop);
    lbText->setWordWrap(true);
    lbText->setTextFormat(Qt::PlainText);
    lbText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbText->setMinimumWidth(380);
    pbDownload->setRange(0, 100);
    pbDownload->setVisible(false);
    QFont bold = btUpdateNow->font();
    bold.setBold(true);
    btUpdateNow->setFont(bold);
    btUpdateNow->setDefault(true);

    auto* message = new QHBoxLayout;
    message->addWidget(imIcon);
    message->addSpacing(10);
    message->addWidget(lbText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btUpdateNow);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addWidget(pbDownload);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btUpdateNow, &QPushButton::clicked, this, &TfrmNewVersion::btUpdateNowClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmNewVersion::btCancelClick);
}

TfrmNewVersion::~TfrmNewVersion() = default;

bool TfrmNewVersion::NewAppVersionExists()
{
    const TNewVersion found = CheckForNewVersion(services.Server);
    if (!found.Offered)
        return false;
    MustUpdate = found.MustUpdate;
    strSoftwareInstallerFileName = found.InstallerFileName;
    lbText->setText(found.Text.trimmed());
    lbText->setAccessibleName(lbText->text());
    return true;
}

int TfrmNewVersion::ShowModalResult()
{
    FormShow();
    exec();
    if (MustUpdate)
        Tag = 0;
    return Tag;
}

void TfrmNewVersion::FormShow()
{
    Tag = 1;
    setWindowTitle(' ' + QStringLiteral(ZORVAN_APP_TITLE));
    btUpdateNow->setText(Translate(QStringLiteral("Update Now")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    btUpdateNow->setEnabled(true);
    pbDownload->setValue(0);
    pbDownload->setVisible(false);
}

void TfrmNewVersion::btUpdateNowClick()
{
    MustUpdate = true;
    AbortButtonIsClicked = false;
    btCancel->setText(Translate(QStringLiteral("Abort")));
    btUpdateNow->setEnabled(false);
    pbDownload->setValue(0);
    pbDownload->setVisible(true);
    download = std::make_unique<TUpdateDownload>(services.Server);
    connect(download.get(), &TUpdateDownload::progress, pbDownload, &QProgressBar::setValue);
    connect(download.get(), &TUpdateDownload::finished, this, &TfrmNewVersion::downloadFinished);
    download->start(QDir(services.TempFolder()).filePath(DownloadedPackageFileName()));
}

void TfrmNewVersion::downloadFinished(bool ok, const QString& reason)
{
    const QString path = QDir(services.TempFolder()).filePath(DownloadedPackageFileName());
    if (ok) {
        services.OpenPackage(path);
    } else {
        ShowMessageDialog(Translate(QStringLiteral("Failed to download update.")) + QStringLiteral("\n\n") +
                              reason,
                          mtError, mbOK, 0, this);
        services.OpenWebSite(services.Server.webSite());
    }
    // The download object sent this signal: it goes once control is back in the loop.
    download.release()->deleteLater();
    accept();
}

void TfrmNewVersion::btCancelClick()
{
    if (download) {
        AbortButtonIsClicked = true;
        download->abort();
        return;
    }
    QDialog::reject();
}

void TfrmNewVersion::reject()
{
    // Escape or the window's close button while downloading: an abort, the dialog closes when it ends.
    btCancelClick();
}
