#include "ui/dialogs/TfrmRestore_DriveImage.h"

#include "i18n/Translate.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/NamedWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* arrow(QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("\u2192"), parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 2);
    label->setFont(font);
    label->setAccessibleName(Translate(QStringLiteral("then")));
    return label;
}

void setCaption(QWidget* widget, const QString& caption)
{
    widget->setProperty("text", caption);
    widget->setAccessibleName(caption);
}

} // namespace

TfrmRestore_DriveImage::TfrmRestore_DriveImage(TActions actions, QWidget* parent)
    : QDialog(parent), actions(std::move(actions))
{
    setObjectName(QStringLiteral("frmRestore_DriveImage"));
    lbInstructions = MakeNamed<QLabel>(this, "lbInstructions");
    lbInstructions->setWordWrap(true);
    QWidget* step1 =
        makeStep("pnStep1", "drive-removable-media", ":/icons/backup.svg", lbStep1, lbStep1Detail);
    QWidget* step2 =
        makeStep("pnStep2", "system-software-install", ":/icons/import.svg", lbStep2, lbStep2Detail);
    QWidget* step3 = makeStep("pnStep3", "utilities-terminal", ":/icons/restore.svg", lbStep3, lbStep3Detail);
    lbTip = MakeNamed<QLabel>(this, "lbTip");
    QFont tipFont = lbTip->font();
    tipFont.setBold(true);
    tipFont.setItalic(true);
    lbTip->setFont(tipFont);
    lbTip->setAlignment(Qt::AlignRight);
    lbCommandLine = MakeNamed<QLabel>(this, "lbCommandLine");
    edCommandLine = MakeNamed<QPlainTextEdit>(this, "edCommandLine");
    edCommandLine->setReadOnly(true);
    edCommandLine->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edCommandLine->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edCommandLine->setFixedHeight(edCommandLine->fontMetrics().lineSpacing() * 5 + 12);
    lbCommandLine->setBuddy(edCommandLine);
    btCopyCommand = MakeNamed<QPushButton>(this, "btCopyCommand");
    lbNote = MakeNamed<QLabel>(this, "lbNote");
    lbNote->setWordWrap(true);
    btRestart = MakeNamed<QPushButton>(this, "btRestart");
    QFont bold = btRestart->font();
    bold.setBold(true);
    btRestart->setFont(bold);
    btRecoverNow = MakeNamed<QPushButton>(this, "btRecoverNow");
    btCancel = MakeNamed<QPushButton>(this, "btCancel");
    btCancel->setDefault(true);

    auto* diagram = new QHBoxLayout;
    diagram->addWidget(step1, 1);
    diagram->addWidget(arrow(this));
    diagram->addWidget(step2, 1);
    diagram->addWidget(arrow(this));
    diagram->addWidget(step3, 1);
    auto* command = new QHBoxLayout;
    command->addWidget(edCommandLine, 1);
    command->addWidget(btCopyCommand, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btRecoverNow);
    buttons->addStretch();
    buttons->addWidget(btRestart);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbInstructions);
    layout->addSpacing(6);
    layout->addLayout(diagram);
    layout->addWidget(lbTip);
    layout->addSpacing(6);
    layout->addWidget(lbCommandLine);
    layout->addLayout(command);
    layout->addWidget(lbNote);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(720, 440);

    connect(btCopyCommand, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(edCommandLine->toPlainText()); });
    connect(btRestart, &QPushButton::clicked, this, [this] {
        if (this->actions.RestartForRecovery)
            this->actions.RestartForRecovery();
    });
    connect(btRecoverNow, &QPushButton::clicked, this, [this] {
        if (this->actions.RecoverNow)
            this->actions.RecoverNow();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TfrmRestore_DriveImage::makeStep(const char* name, const char* iconName, const char* fallbackIcon,
                                          QLabel*& caption, QLabel*& detail)
{
    auto* box = MakeNamed<QFrame>(this, name);
    box->setFrameShape(QFrame::StyledPanel);
    auto* picture = new QLabel(box);
    picture->setPixmap(ThemedIcon(iconName, fallbackIcon).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);
    caption = MakeNamed<QLabel>(box, (QByteArray(name) + "Caption").constData());
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    caption->setAlignment(Qt::AlignCenter);
    caption->setWordWrap(true);
    detail = MakeNamed<QLabel>(box, (QByteArray(name) + "Detail").constData());
    detail->setAlignment(Qt::AlignCenter);
    detail->setWordWrap(true);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(picture);
    layout->addWidget(caption);
    layout->addWidget(detail);
    layout->addStretch();
    return box;
}

void TfrmRestore_DriveImage::ShowGuidance(const QString& commandLines, const QString& note,
                                          bool offerRecoverNow)
{
    FormShow();
    edCommandLine->setPlainText(commandLines);
    lbNote->setText(note);
    lbNote->setVisible(!note.isEmpty());
    btRecoverNow->setVisible(offerRecoverNow);
    show();
    raise();
    activateWindow();
}

void TfrmRestore_DriveImage::FormShow()
{
    setWindowTitle(' ' + Translate(QStringLiteral("Restore Drive Image")));
    lbInstructions->setText(
        Translate(
            QStringLiteral("To restore a drive image of the running system you have to start your computer "
                           "from a live USB system.")) +
        '\n' + Translate(QStringLiteral("Then you must go through the following steps:")));
    lbStep1->setText(Translate(QStringLiteral("Start from a live USB system")));
    lbStep1Detail->setText(Translate(QStringLiteral(
        "Plug in the USB stick and the backup drive, restart, and pick the USB stick in the boot menu.")));
    lbStep2->setText(Translate(QStringLiteral("Install zorvan-imagetool")));
    lbStep2Detail->setText(Translate(QStringLiteral(
        "Install its package on the live system, or copy the program with its libraries from a backup.")));
    lbStep3->setText(Translate(QStringLiteral("Run start recovery")));
    lbStep3Detail->setText(Translate(QStringLiteral(
        "Open a terminal and run the command line below. Where the live system mounts the backup drive "
        "elsewhere, change -backupTarget: to its folder.")));
    lbTip->setText(Translate(QStringLiteral("Tip: make a photo of this diagram")));
    lbCommandLine->setText(Translate(QStringLiteral("Command line for this job (newest version):")));
    edCommandLine->setAccessibleName(lbCommandLine->text());
    setCaption(btCopyCommand, Translate(QStringLiteral("Copy")));
    setCaption(btRestart, Translate(QStringLiteral("Restart PC and continue...")));
    setCaption(btRecoverNow, Translate(QStringLiteral("Recover now...")));
    setCaption(btCancel, Translate(QStringLiteral("Cancel")));
}
