#include "ui/dialogs/uLogViewer.h"

#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmFindText.h"
#include "ui/widgets/BusyCursor.h"
#include "ui/widgets/ChosenFileWriter.h"
#include "ui/widgets/FileChooser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* makeToolButton(QWidget* parent, const char* name, const char* iconName)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon::fromTheme(QLatin1String(iconName)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

QToolButton* makeNextButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(Qt::DownArrow);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

// The file's lines, read as UTF-8 (a byte order mark is dropped) with CR LF, LF or CR line ends; a
// line end at the very end starts no further line.
bool ReadLines(const QString& path, QStringList& lines, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    lines = text.split(QLatin1Char('\n'));
    return true;
}

} // namespace

TfrmLog::TfrmLog(QWidget* parent)
    : QDialog(parent), memoLog(new QPlainTextEdit(this)), pnErrorsWarnings(new QWidget(this)),
      lbErrors(new QLabel(pnErrorsWarnings)), lbWarnings(new QLabel(pnErrorsWarnings)),
      sbStatus(new QStatusBar(this)), lbCaretPosition(new QLabel(sbStatus)),
      lbLineCount(new QLabel(sbStatus)), frmFind(new TfrmFindText(this))
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(false); // the status bar has its own

    memoLog->setObjectName(QStringLiteral("memoLog"));
    memoLog->setReadOnly(true);
    // Read-only, but with a caret the keys move: the next-line searches start from it.
    memoLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memoLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("tbLog"));
    btFind = makeToolButton(toolBar, "btFind", "edit-find");
    btFont = makeToolButton(toolBar, "btFont", "preferences-desktop-font");
    btSaveAs = makeToolButton(toolBar, "btSaveAs", "document-save-as");
    btFind->setShortcut(QKeySequence::Find);
    toolBar->addWidget(btFind);
    toolBar->addWidget(btFont);
    toolBar->addWidget(btSaveAs);

    pnErrorsWarnings->setObjectName(QStringLiteral("pnErrorsWarnings"));
    lbErrors->setObjectName(QStringLiteral("lbErrors"));
    lbWarnings->setObjectName(QStringLiteral("lbWarnings"));
    btNextError = makeNextButton(pnErrorsWarnings, "btNextError");
    btNextWarning = makeNextButton(pnErrorsWarnings, "btNextWarning");
    auto* panel = new QHBoxLayout(pnErrorsWarnings);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(lbErrors);
    panel->addWidget(btNextError);
    panel->addSpacing(16);
    panel->addWidget(lbWarnings);
    panel->addWidget(btNextWarning);

    auto* top = new QHBoxLayout;
    top->addWidget(toolBar);
    top->addStretch();
    top->addWidget(pnErrorsWarnings);

    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    lbCaretPosition->setObjectName(QStringLiteral("lbCaretPosition"));
    lbLineCount->setObjectName(QStringLiteral("lbLineCount"));
    sbStatus->addWidget(lbCaretPosition);
    sbStatus->addPermanentWidget(lbLineCount);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(memoLog, 1);
    layout->addWidget(sbStatus);
    resize(860, 560);

    connect(btNextError, &QToolButton::clicked, this, &TfrmLog::btNextErrorClick);
    connect(btNextWarning, &QToolButton::clicked, this, &TfrmLog::btNextWarningClick);
    connect(btFind, &QToolButton::clicked, this, &TfrmLog::btFindClick);
    connect(btFont, &QToolButton::clicked, this, &TfrmLog::btFontClick);
    connect(btSaveAs, &QToolButton::clicked, this, &TfrmLog::btSaveAsClick);
    connect(memoLog, &QPlainTextEdit::cursorPositionChanged, this, &TfrmLog::UpdateStatusBar);
    frmFind->FindNext = [this](const QString& text, bool matchCase, bool wholeWords) {
        FindText(text, matchCase, wholeWords);
    };
}

void TfrmLog::OpenReport(const QString& path, bool ShowErrorsWarningsControls)
{
    if (LoadReport(path, ShowErrorsWarningsControls))
        exec();
}

bool TfrmLog::LoadReport(const QString& path, bool ShowErrorsWarningsControls)
{
    TranslateCaptions();
    QStringList lines;
    {
        TBusyCursor busy;
        QString error;
        if (!ReadLines(path, lines, error)) {
            ShowMessageDialog(Translate(QStringLiteral("Unable to open the file:")) + ' ' + path + '\n' +
                                  error,
                              mtError, mbOK, 0, this);
            return false;
        }
        stLogFileName = QFileInfo(path).fileName();
        stErrorMarker = Translate(QStringLiteral("ERROR:"));
        stWarningMarker = Translate(QStringLiteral("WARNING:"));
        iErrorsCount = 0;
        iWarningsCount = 0;
        for (const QString& line : std::as_const(lines)) {
            if (IsErrorLine(line))
                ++iErrorsCount;
            else if (IsWarningLine(line))
                ++iWarningsCount;
        }
        memoLog->setPlainText(lines.join(QLatin1Char('\n')));
        memoLog->moveCursor(QTextCursor::Start);
        memoLog->ensureCursorVisible();
    }
    btNextError->setEnabled(iErrorsCount > 0);
    btNextWarning->setEnabled(iWarningsCount > 0);
    lbErrors->setText(Translate(QStringLiteral("Errors")) + QStringLiteral(": ") +
                      QString::number(iErrorsCount));
    lbWarnings->setText(Translate(QStringLiteral("Warnings")) + QStringLiteral(": ") +
                        QString::number(iWarningsCount));

    QString title = stLogFileName;
    if (title.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        title.chop(4);
    if (ShowErrorsWarningsControls) {
        // The run's start time in the name has ';' where a file name cannot hold ':'.
        title.replace(QLatin1Char(';'), QLatin1Char(':'));
        setWindowTitle(Translate(QStringLiteral("Log")) + QStringLiteral(": ") + title);
    } else {
        setWindowTitle(Translate(QStringLiteral("History")));
    }
    pnErrorsWarnings->setVisible(ShowErrorsWarningsControls);
    lbLineCount->setText(Translate(QStringLiteral("Lines")) + QStringLiteral(": ") +
                         QString::number(memoLog->document()->isEmpty() ? 0 : memoLog->blockCount()));
    UpdateStatusBar();
    memoLog->setFocus();
    return true;
}

void TfrmLog::TranslateCaptions()
{
    btFind->setText(Translate(QStringLiteral("Find...")));
    btFont->setText(Translate(QStringLiteral("Font...")));
    btSaveAs->setText(Translate(QStringLiteral("Save As...")));
    btNextError->setText(Translate(QStringLiteral("Next")));
    btNextWarning->setText(Translate(QStringLiteral("Next")));
    btNextError->setToolTip(Translate(QStringLiteral("Next error")));
    btNextWarning->setToolTip(Translate(QStringLiteral("Next warning")));
    btNextError->setAccessibleName(btNextError->toolTip());
    btNextWarning->setAccessibleName(btNextWarning->toolTip());
    memoLog->setAccessibleName(Translate(QStringLiteral("Log")));
}

bool TfrmLog::IsErrorLine(const QString& line) const
{
    return line.contains(stErrorMarker);
}

bool TfrmLog::IsWarningLine(const QString& line) const
{
    return !IsErrorLine(line) && line.contains(stWarningMarker);
}

void TfrmLog::btNextErrorClick()
{
    SelectNextLine(&TfrmLog::IsErrorLine);
}

void TfrmLog::btNextWarningClick()
{
    SelectNextLine(&TfrmLog::IsWarningLine);
}

void TfrmLog::SelectNextLine(bool (TfrmLog::*matches)(const QString&) const)
{
    TBusyCursor busy;
    const QTextBlock caretLine = memoLog->textCursor().block();
    // After the caret's line to the end, then from the start up to and including the caret's line.
    for (QTextBlock block = caretLine.next(); block.isValid(); block = block.next()) {
        if ((this->*matches)(block.text())) {
            SelectLine(block);
            return;
        }
    }
    for (QTextBlock block = memoLog->document()->firstBlock(); block.isValid(); block = block.next()) {
        if ((this->*matches)(block.text())) {
            SelectLine(block);
            return;
        }
        if (block == caretLine)
            return;
    }
}

void TfrmLog::SelectLine(const QTextBlock& block)
{
    // The whole line selected with the caret at its first character, so a long line shows its start.
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length() - 1);
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
    memoLog->setTextCursor(cursor);
    memoLog->ensureCursorVisible();
}

bool TfrmLog::FindText(const QString& text, bool matchCase, bool wholeWords)
{
    if (text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWords)
        flags |= QTextDocument::FindWholeWords;
    QTextCursor found;
    {
        TBusyCursor busy;
        found = memoLog->document()->find(text, memoLog->textCursor(), flags);
        if (found.isNull())
            found = memoLog->document()->find(text, 0, flags);
    }
    if (found.isNull()) {
        ShowMessageDialog(
            Translate(QStringLiteral("Cannot find \"%s\".")).replace(QStringLiteral("%s"), text),
            mtInformation, mbOK, 0, this);
        return false;
    }
    memoLog->setTextCursor(found);
    memoLog->ensureCursorVisible();
    return true;
}

void TfrmLog::UpdateStatusBar()
{
    const QTextCursor cursor = memoLog->textCursor();
    lbCaretPosition->setText(Translate(QStringLiteral("Line")) + ' ' +
                             QString::number(cursor.blockNumber() + 1) + QStringLiteral(", ") +
                             Translate(QStringLiteral("Column")) + ' ' +
                             QString::number(cursor.positionInBlock() + 1));
}

void TfrmLog::btFindClick()
{
    frmFind->ShowOver(memoLog);
}

void TfrmLog::btFontClick()
{
    QFontDialog dialog(memoLog->font(), this);
    dialog.setWindowTitle(Translate(QStringLiteral("Font")));
    if (dialog.exec() == QDialog::Accepted)
        memoLog->setFont(dialog.selectedFont());
}

void TfrmLog::btSaveAsClick()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed = documents.isEmpty() ? stLogFileName : documents + '/' + stLogFileName;
    const QString path =
        ChooseSaveFileName(this, Translate(QStringLiteral("Save As")), proposed,
                           Translate(QStringLiteral("Text Files")) + QStringLiteral(" (*.txt)"));
    if (path.isEmpty())
        return;
    // Written like the run logs themselves: UTF-8 with a byte order mark, CR LF after every line.
    QByteArray content("\xEF\xBB\xBF");
    const QTextDocument* document = memoLog->document();
    for (QTextBlock block = document->firstBlock(); !document->isEmpty() && block.isValid();
         block = block.next())
        content += block.text().toUtf8() + "\r\n";
    WriteChosenFile(this, path, content);
}

void TfrmLog::hideEvent(QHideEvent* event)
{
    frmFind->hide();
    QDialog::hideEvent(event);
}
