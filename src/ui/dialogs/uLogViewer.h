#pragma once
// The viewer of one text file: a job's run log, with its error and warning lines counted and reached
// one after the other, or a job's history. It also changes the font, saves the text under another
// name and finds text.
#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QTextBlock;
class QToolButton;
class TfrmFindText;

class TfrmLog : public QDialog
{
public:
    explicit TfrmLog(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmLog)

    // Loads the file, prepares the window and shows it modally until the user closes it.
    // `ShowErrorsWarningsControls`: true for a run log, false for a history file.
    void OpenReport(const QString& path, bool ShowErrorsWarningsControls);
    // The loading and preparing part of OpenReport, without showing the window. False, after an error
    // message, when the file cannot be read.
    bool LoadReport(const QString& path, bool ShowErrorsWarningsControls);

    // The name (without folder) of the file shown; Save As proposes it.
    QString LogFileName() const { return stLogFileName; }
    int ErrorsCount() const { return iErrorsCount; }
    int WarningsCount() const { return iWarningsCount; }

    // Selects the next occurrence of `text` after the caret (or the selection), going on from the start
    // when the end is reached; says so when there is none.
    bool FindText(const QString& text, bool matchCase, bool wholeWords);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void TranslateCaptions();
    bool IsErrorLine(const QString& line) const;
    bool IsWarningLine(const QString& line) const;
    void SelectNextLine(bool (TfrmLog::*matches)(const QString&) const);
    void SelectLine(const QTextBlock& block);
    void UpdateStatusBar();

    void btNextErrorClick();
    void btNextWarningClick();
    void btFindClick();
    void btFontClick();
    void btSaveAsClick();

    QPlainTextEdit* memoLog;
    QToolButton* btFind;
    QToolButton* btFont;
    QToolButton* btSaveAs;
    QWidget* pnErrorsWarnings;
    QLabel* lbErrors;
    QToolButton* btNextError;
    QLabel* lbWarnings;
    QToolButton* btNextWarning;
    QStatusBar* sbStatus;
    QLabel* lbCaretPosition;
    QLabel* lbLineCount;
    TfrmFindText* frmFind;

    QString stLogFileName;
    // The translated markers the lines were counted with.
    QString stErrorMarker;
    QString stWarningMarker;
    int iErrorsCount = 0;
    int iWarningsCount = 0;
};
