#include "ui/dialogs/uLogViewer.h"

#include "base/Clock.h"
#include "base/SharedStringList.h"
#include "i18n/Translate.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "logs/RunLog.h"
#include "options/uOptions.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/FileChooser.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LogViewerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        Clock::setTestTime(QDateTime(QDate(2024, 3, 4), QTime(20, 15, 7)));
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
    }
    void TearDown() override
    {
        MessageDialogHook::clearAnswers();
        FileChooserHook::clearAnswers();
        InstallInterfaceLanguage(GlobalOptions.Language);
        Clock::resetTestTime();
    }

    // A run log saved as a run saves it. Each letter of `kinds` makes one line: E an error, W a warning,
    // B an error line that also holds "WARNING:", - a plain line with a time, = a separator.
    QString writeRunLog(const QString& kinds)
    {
        TJob_FilesAndFolders job(QStringLiteral("Documents"));
        int n = 0;
        for (const QChar kind : kinds) {
            const QString number = QString::number(++n);
            if (kind == 'E')
                LogError(job, "Unable to copy the file /home/anna/Report " + number + ".odt");
            else if (kind == 'W')
                LogWarning(job, "The file /home/anna/Locked " + number + ".odt is in use; skipped.");
            else if (kind == 'B')
                LogError(job, "The storage went away. WARNING: the backup " + number + " is incomplete.");
            else if (kind == '=')
                LogPlain(job, QStringLiteral("=========="));
            else
                LogLine(job, "Copying file /home/anna/Notes " + number + ".txt");
        }
        const QString path = folder.filePath(FormatRunStamp(Clock::currentDateTime()) + ".txt");
        EXPECT_TRUE(SaveRunLogFile(path, job.LastJobResult.Log));
        return path;
    }

    QPlainTextEdit* memo() { return viewer.findChild<QPlainTextEdit*>("memoLog"); }
    QToolButton* button(const char* name) { return viewer.findChild<QToolButton*>(name); }
    QString label(const char* name) { return viewer.findChild<QLabel*>(name)->text(); }
    int caretLine() { return memo()->textCursor().blockNumber(); }
    void putCaretOnLine(int line)
    {
        memo()->setTextCursor(QTextCursor(memo()->document()->findBlockByNumber(line)));
    }

    QTemporaryDir folder;
    TfrmLog viewer;
};

TEST_F(LogViewerTest, CountsErrorAndWarningLinesAnErrorLineWinning)
{
    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-EBW=W-"), true));
    EXPECT_EQ(viewer.ErrorsCount(), 2);
    EXPECT_EQ(viewer.WarningsCount(), 2);
    EXPECT_EQ(label("lbErrors"), "Errors: 2");
    EXPECT_EQ(label("lbWarnings"), "Warnings: 2");
    EXPECT_TRUE(button("btNextError")->isEnabled());
    EXPECT_TRUE(button("btNextWarning")->isEnabled());
    EXPECT_EQ(memo()->document()->blockCount(), 7) << "no empty line after the last line end";
    EXPECT_FALSE(memo()->document()->firstBlock().text().startsWith(QChar(0xFEFF)))
        << "byte order mark shown";
    EXPECT_EQ(caretLine(), 0);
    EXPECT_FALSE(memo()->textCursor().hasSelection());
    EXPECT_TRUE(memo()->isReadOnly());
    EXPECT_EQ(memo()->lineWrapMode(), QPlainTextEdit::NoWrap);

    // Opened again for a log without either: zero counts, nothing to go to.
    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-=-"), true));
    EXPECT_EQ(label("lbErrors"), "Errors: 0");
    EXPECT_EQ(label("lbWarnings"), "Warnings: 0");
    EXPECT_FALSE(button("btNextError")->isEnabled());
    EXPECT_FALSE(button("btNextWarning")->isEnabled());
}

TEST_F(LogViewerTest, CountsTheMarkersOfTheInterfaceLanguage)
{
    TLanguageOptions german;
    german.LanguageOfInterface = "de";
    german.iLanguage = 1;
    german.Translations = {{"ERROR:", "WARNING:", "Errors"}, {"FEHLER:", "WARNUNG:", "Fehler"}};
    InstallInterfaceLanguage(german);
    TSharedStringList lines;
    lines.append(RunLogLine("FEHLER: Zugriff verweigert"));
    lines.append(RunLogLine("ERROR: English marker"));
    lines.append(RunLogLine("WARNUNG: Datei gesperrt"));
    const QString path = folder.filePath("2024-03-04 20;15;07.txt");
    ASSERT_TRUE(SaveRunLogFile(path, lines));
    ASSERT_TRUE(viewer.LoadReport(path, true));
    EXPECT_EQ(viewer.ErrorsCount(), 1);
    EXPECT_EQ(viewer.WarningsCount(), 1);
    EXPECT_EQ(label("lbErrors"), "Fehler: 1");
    InstallInterfaceLanguage(GlobalOptions.Language); // `german` ends here
}

TEST_F(LogViewerTest, CaptionsOfARunLogAndOfAHistory)
{
    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-E-"), true));
    EXPECT_EQ(viewer.windowTitle(), "Log: 2024-03-04 20:15:07");
    EXPECT_EQ(viewer.LogFileName(), "2024-03-04 20;15;07.txt");
    EXPECT_TRUE(viewer.findChild<QWidget*>("pnErrorsWarnings")->isVisibleTo(&viewer));
    EXPECT_EQ(button("btFind")->text(), "Find...");
    EXPECT_EQ(button("btFont")->text(), "Font...");
    EXPECT_EQ(button("btSaveAs")->text(), "Save As...");

    TJob_FilesAndFolders job("Documents");
    job.JobOptions.Logging.MaxNumberOfLinesInHistory = 100;
    job.AddEventtoBackupHistory("ERROR: Backup failed.", false);
    job.AddEventtoBackupHistory("Backup finished; 3 files copied.", false);
    const QString history = folder.filePath("history - Documents.txt");
    QFile file(history);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(job.BackupHistory.snapshot().join("\r\n").toUtf8());
    file.close();
    ASSERT_TRUE(viewer.LoadReport(history, false));
    EXPECT_EQ(viewer.windowTitle(), "History");
    EXPECT_FALSE(viewer.findChild<QWidget*>("pnErrorsWarnings")->isVisibleTo(&viewer));
    EXPECT_EQ(memo()->document()->blockCount(), 2);
}

TEST_F(LogViewerTest, NextErrorAndNextWarningGoForwardFromTheCaretAndWrap)
{
    const struct
    {
        QString kinds;
        const char* next;
        int caret;
        QList<int> selected; // the line selected after each press
    } cases[] = {
        // An error on the first line is reached only by wrapping: the caret starts on it.
        {"E-W-E-", "btNextError", 0, {4, 0, 4}},
        {"W-E-BW", "btNextWarning", 0, {5, 0, 5}},
        // The only error above the caret: selected by wrapping, and again on the next press.
        {"-E---", "btNextError", 3, {1, 1}},
        {"-W-B-", "btNextWarning", 4, {1, 1}},
        // The caret's own line is the last one looked at.
        {"--E--", "btNextError", 2, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.kinds + " " + c.next).toStdString());
        ASSERT_TRUE(viewer.LoadReport(writeRunLog(c.kinds), true));
        putCaretOnLine(c.caret);
        for (const int line : c.selected) {
            button(c.next)->click();
            const QTextCursor cursor = memo()->textCursor();
            EXPECT_EQ(cursor.blockNumber(), line);
            EXPECT_EQ(cursor.positionInBlock(), 0) << "caret at the line's start";
            EXPECT_EQ(cursor.selectedText(), cursor.block().text()) << "the whole line selected";
        }
    }
}

TEST_F(LogViewerTest, SaveAsWritesTheTextAsTheRunLogIsWritten)
{
    TJob_FilesAndFolders job("Fotos");
    LogLine(job, QStringLiteral("Kopiere »Größe.txt« – ½ fertig"));
    LogError(job, QStringLiteral("Zugriff verweigert: /home/jürgen/Übersicht.ods"));
    const QString source = folder.filePath("2024-03-04 20;15;07.txt");
    ASSERT_TRUE(SaveRunLogFile(source, job.LastJobResult.Log));
    ASSERT_TRUE(viewer.LoadReport(source, true));

    const QString target = folder.filePath("copy of the log.txt");
    FileChooserHook::answerNextSaveFile(target);
    button("btSaveAs")->click();
    EXPECT_EQ(readAll(target), readAll(source));
    EXPECT_TRUE(readAll(target).contains(QStringLiteral("Übersicht").toUtf8()));

    // Cancelled: nothing written; a folder that does not exist: an error box naming the file.
    FileChooserHook::answerNextSaveFile(QString());
    button("btSaveAs")->click();
    const QString unwritable = folder.filePath("missing/folder/log.txt");
    FileChooserHook::answerNextSaveFile(unwritable);
    button("btSaveAs")->click();
    const auto shown = MessageDialogHook::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].Kind, mtError);
    EXPECT_TRUE(shown[0].Text.contains(unwritable));
}

TEST_F(LogViewerTest, FindGoesForwardWrapsAndSaysWhenNothingIsFound)
{
    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-E-W-"), true));
    viewer.show();
    button("btFind")->click();
    auto* find = viewer.findChild<QDialog*>("frmFindText");
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    auto* what = find->findChild<QLineEdit*>("edFindWhat");
    auto* findNext = find->findChild<QPushButton*>("btFindNext");
    EXPECT_FALSE(findNext->isEnabled()) << "nothing to find yet";

    // "Notes" is on lines 1, 3 and 5 (numbered from 1); Enter in the text is "Find Next".
    QTest::keyClicks(what, "notes");
    for (const int line : {0, 2, 4, 0}) {
        QTest::keyClick(what, Qt::Key_Return);
        EXPECT_EQ(caretLine(), line);
        EXPECT_EQ(memo()->textCursor().selectedText(), "Notes");
    }
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());

    const struct
    {
        const char* text;
        bool matchCase;
        bool wholeWord;
        bool found;
    } cases[] = {
        {"notes", true, false, false},   {"Note", false, true, false},          {"Note", false, false, true},
        {"report 2", false, true, true}, {"no such text", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MessageDialogHook::clearShown();
        what->setText(c.text);
        find->findChild<QCheckBox*>("chMatchCase")->setChecked(c.matchCase);
        find->findChild<QCheckBox*>("chWholeWord")->setChecked(c.wholeWord);
        const int before = caretLine();
        findNext->click();
        const auto shown = MessageDialogHook::shown();
        if (c.found) {
            EXPECT_TRUE(shown.isEmpty());
            EXPECT_EQ(memo()->textCursor().selectedText().toLower(), QString(c.text).toLower());
        } else {
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown[0].Text, QString("Cannot find \"%1\".").arg(c.text));
            EXPECT_EQ(shown[0].Kind, mtInformation);
            EXPECT_EQ(caretLine(), before) << "nothing changes";
        }
    }
    viewer.hide();
    EXPECT_FALSE(find->isVisible()) << "the find dialog goes with the viewer";
}

TEST_F(LogViewerTest, FontChosenInTheFontDialogStaysForLaterReports)
{
    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-E-"), true));
    QFont chosen = memo()->font();
    chosen.setPointSize(memo()->font().pointSize() + 7);
    QFont preset;
    QTimer::singleShot(0, [&] {
        QFontDialog* dialog = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&dialog] {
            dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            return dialog != nullptr;
        }));
        preset = dialog->currentFont();
        dialog->setCurrentFont(chosen);
        dialog->accept();
    });
    button("btFont")->click();
    EXPECT_EQ(preset.family(), memo()->document()->defaultFont().family());
    EXPECT_EQ(memo()->font().pointSize(), chosen.pointSize());

    ASSERT_TRUE(viewer.LoadReport(writeRunLog("-W-"), true));
    EXPECT_EQ(memo()->font().pointSize(), chosen.pointSize());
}

TEST_F(LogViewerTest, OpenReportShowsModallyUntilClosedAndRefusesAnUnreadableFile)
{
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == &viewer; }));
        wasModal = viewer.isModal() && viewer.isVisible();
        viewer.close();
    });
    viewer.OpenReport(writeRunLog("-E-"), true);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(viewer.isVisible());

    const QString missing = folder.filePath("gone.txt");
    viewer.OpenReport(missing, true); // must not block: the error box is answered by the hook
    const auto shown = MessageDialogHook::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].Kind, mtError);
    EXPECT_TRUE(shown[0].Text.contains(missing));
}

} // namespace
