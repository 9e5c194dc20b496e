#include "ui/widgets/FileChooser.h"

#include <QFileDialog>
#include <QQueue>

namespace {

QQueue<QString>& folderAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

QQueue<QString>& saveFileAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

QQueue<QString>& openFileAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

} // namespace

QString BrowseForFolder(QWidget* parent, const QString& caption, const QString& startFolder)
{
    if (!folderAnswers().isEmpty())
        return folderAnswers().dequeue();
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposedName,
                           const QString& filter)
{
    if (!saveFileAnswers().isEmpty())
        return saveFileAnswers().dequeue();
    return QFileDialog::getSaveFileName(parent, caption, proposedName, filter);
}

QString ChooseOpenFileName(QWidget* parent, const QString& caption, const QString& startPath,
                           const QString& filter)
{
    if (!openFileAnswers().isEmpty())
        return openFileAnswers().dequeue();
    return QFileDialog::getOpenFileName(parent, caption, startPath, filter);
}

namespace FileChooserHook {

void answerNextFolder(const QString& path)
{
    folderAnswers().enqueue(path);
}

void answerNextSaveFile(const QString& path)
{
    saveFileAnswers().enqueue(path);
}

void answerNextOpenFile(const QString& path)
{
    openFileAnswers().enqueue(path);
}

void clearAnswers()
{
    folderAnswers().clear();
    saveFileAnswers().clear();
    openFileAnswers().clear();
}

} // namespace FileChooserHook
