#include "ui/mainwindow/TEventsPanelWidget.h"

#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/ChosenFileWriter.h"
#include "ui/widgets/FileChooser.h"
#include "ui/widgets/Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

TEventsPanelWidget::TEventsPanelWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnEvents"));
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnEventsBar"));
    bar->setFixedHeight(kBarHeight);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#pnEventsBar { background: #3B3B3B; } QLabel { color: #FFFFFF; }"
                                      "QToolButton { border: none; padding: 1px; }"
                                      "QToolButton:hover { background: #555555; }"));
    caption = new QLabel(bar);
    caption->setObjectName(QStringLiteral("lbEvents"));
    saveButton = new QToolButton(bar);
    saveButton->setObjectName(QStringLiteral("btSaveEvents"));
    saveButton->setIcon(OwnIcon(":/icons/save-events.svg"));
    saveButton->setIconSize(QSize(16, 16));
    saveButton->setAutoRaise(true);
    connect(saveButton, &QToolButton::clicked, this, &TEventsPanelWidget::SaveToFile);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(6, 0, 4, 0);
    barLayout->addWidget(caption);
    barLayout->addStretch(1);
    barLayout->addWidget(saveButton);

    memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("memoEvents"));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFrameShape(QFrame::NoFrame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(memo, 1);
    Translate();
}

void TEventsPanelWidget::Translate()
{
    caption->setText(::Translate(QStringLiteral("Events")));
    const QString save = ::Translate(QStringLiteral("Save to file..."));
    saveButton->setToolTip(save);
    saveButton->setAccessibleName(save);
    memo->setAccessibleName(::Translate(QStringLiteral("Events")));
}

int TEventsPanelWidget::LineCount() const
{
    return memo->document()->isEmpty() ? 0 : memo->document()->blockCount();
}

QString TEventsPanelWidget::Text() const
{
    return memo->toPlainText();
}

void TEventsPanelWidget::appendLines(const QString& text)
{
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(memo->document()->isEmpty() ? text : '\n' + text);
}

void TEventsPanelWidget::trim(qint32 maxLines)
{
    const int excess = LineCount() - qMax(0, maxLines);
    if (excess <= 0)
        return;
    if (excess >= LineCount()) {
        memo->clear();
        return;
    }
    QTextCursor cursor(memo->document());
    cursor.setPosition(memo->document()->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TEventsPanelWidget::Flush(qint32 maxLines)
{
    const int scrolled = memo->verticalScrollBar()->value();
    const QStringList queued = EventsQueue().takeAll();
    if (!queued.isEmpty())
        appendLines(queued.join('\n'));
    trim(maxLines);
    QScrollBar* bar = memo->verticalScrollBar();
    // While the user works in the text (selecting, reading back) it stays where it is.
    bar->setValue(memo->hasFocus() ? scrolled : bar->maximum());
}

void TEventsPanelWidget::Append(const QString& text)
{
    appendLines(text);
    if (!memo->hasFocus())
        memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}

namespace {

// The panel's lines, each ended by a line break.
QString withLineEnds(const QString& text)
{
    return text.isEmpty() ? text : text + '\n';
}

} // namespace

void TEventsPanelWidget::SaveToFile()
{
    const QString path =
        ChooseSaveFileName(this, ::Translate(QStringLiteral("Save to file...")), QStringLiteral("Events.txt"),
                           ::Translate(QStringLiteral("Text Files")) + QStringLiteral(" (*.txt)"));
    if (path.isEmpty())
        return;
    WriteChosenFile(this, path, withLineEnds(memo->toPlainText()).toUtf8());
}
