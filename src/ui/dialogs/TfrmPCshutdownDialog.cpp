#include "ui/dialogs/TfrmPCshutdownDialog.h"

#include "scheduler/ShutdownCountdown.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kWidth = 415;
constexpr int kHeight = 182;
} // namespace

TfrmPCshutdownDialog::TfrmPCshutdownDialog(TShutdownCountdown& countdown, QWidget* parent)
    : QDialog(parent), countdown(countdown), imWarning(new QLabel(this)), Label1(new QLabel(this)),
      btDone(new QPushButton(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmPCshutdownDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    imWarning->setObjectName(QStringLiteral("imWarning"));
    Label1->setObjectName(QStringLiteral("Label1"));
    btDone->setObjectName(QStringLiteral("btDone"));
    btCancel->setObjectName(QStringLiteral("btCancel"));

    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    imWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
    imWarning->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QFont big = Label1->font();
    big.setPixelSize(19);
    Label1->setFont(big);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Cancel is the safe answer to a stray Enter.
    btCancel->setDefault(true);
    btDone->setAutoDefault(false);

    auto* message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(imWarning);
    message->addWidget(Label1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btDone);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(message, 1);
    layout->addLayout(buttons);
    setFixedSize(kWidth, kHeight);

    connect(btDone, &QPushButton::clicked, this, &TfrmPCshutdownDialog::btDoneClick);
    connect(btCancel, &QPushButton::clicked, this, [this] { this->countdown.cancel(); });
    countdown.Callbacks.Opened = [this] { FormShow(); };
    countdown.Callbacks.Changed = [this] {
        Label1->setText(this->countdown.labelText());
        raise();
    };
    countdown.Callbacks.Closed = [this] { hide(); };
}

void TfrmPCshutdownDialog::FormShow()
{
    setWindowTitle(TShutdownCountdown::captionText());
    btDone->setText(TShutdownCountdown::shutdownButtonText());
    btCancel->setText(TShutdownCountdown::cancelButtonText());
    // The first step comes after a second: the full minute shows until then.
    Label1->setText(countdown.labelText());
    btDone->setEnabled(true);
    // The design size, taller only when a translated message needs more lines.
    layout()->activate();
    setFixedSize(kWidth, qMax(kHeight, layout()->totalHeightForWidth(kWidth)));
    if (!isVisible()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen)
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void TfrmPCshutdownDialog::btDoneClick()
{
    countdown.shutdownNow();
    Label1->setText(countdown.labelText());
    btDone->setEnabled(false);
}

void TfrmPCshutdownDialog::reject()
{
    countdown.closeByUser();
    QDialog::reject();
}
