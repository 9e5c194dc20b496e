#pragma once
// The program's one folder chooser and its save-file and open-file choosers. Tests queue the next answers
// through FileChooserHook instead of showing the system's dialogs.
#include <QString>

class QWidget;

// A folder chosen by the user, starting at `startFolder`; empty when cancelled.
QString BrowseForFolder(QWidget* parent, const QString& caption, const QString& startFolder);
// A file name to save to, proposing `proposedName`, with a filter such as "Text Files (*.txt)";
// empty when cancelled.
QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposedName,
                           const QString& filter);
// An existing file to open, starting at `startPath`, with a filter such as "*.kxj"; empty when
// cancelled.
QString ChooseOpenFileName(QWidget* parent, const QString& caption, const QString& startPath,
                           const QString& filter);

namespace FileChooserHook {
// The next call of the chooser returns `path` without showing a dialog (empty: as if cancelled).
void answerNextFolder(const QString& path);
void answerNextSaveFile(const QString& path);
void answerNextOpenFile(const QString& path);
void clearAnswers();
} // namespace FileChooserHook
