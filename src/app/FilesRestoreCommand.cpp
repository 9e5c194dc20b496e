#include "app/FilesRestoreCommand.h"

#include "app/WhilePainting.h"
#include "base/Placeholders.h"
#include "engine/PointContentsReading.h"
#include "engine/RestorePoints.h"
#include "i18n/Translate.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmQueryInput.h"
#include "ui/restore/TfrmRestoreItems.h"
#include "ui/restore/TfrmRestoreList.h"
#include "ui/widgets/FolderChooser.h"

namespace {
// The preparation's questions asked through the program's windows.
class TWindowRestoreInteraction final : public TRestoreInteraction
{
public:
    TWindowRestoreInteraction(TJob_FilesAndFolders& job, QWidget* parent, TfrmRestoreList& list,
                              TfrmRestoreItems& items)
        : job(job), parent(parent), list(list), items(items)
    {
    }

    bool ChooseOutputFolder(QString& folder) override
    {
        TFolderChooserSettings settings;
        settings.Title = Translate(QStringLiteral("Choose an output directory"));
        settings.Prompt = settings.Title;
        settings.Root = frFileSystem;
        settings.OnlyExistingFolder = true;
        folder = ChooseFolder(parent, settings);
        return !folder.isEmpty();
    }
    void ShowLoading() override { list.ShowLoading(); }
    void CloseLoading() override { list.CloseLoading(); }
    void WhileLoading(const std::function<void()>& read) override { RunWhilePainting(read); }
    bool ChooseRestorePoint(const QStringList& labels, qint32& index) override
    {
        if (!list.ChoosePoint(labels, index, chooseItems))
            return false;
        pointLabel = labels.value(index);
        return true;
    }
    QString QueryZipPassword(const QString& caption, const QString& prompt) override
    {
        QString password;
        return QueryInput(parent, caption, prompt, password) ? password : QString();
    }
    void ShowError(const QString& message) override { ShowMessageDialog(message, mtError, mbOK, 0, parent); }
    bool ChooseItems(const QStringList& points, qint32 index, QStringList& chosen) override
    {
        chosen.clear();
        // A mirror has no point to choose: what to restore is asked here.
        if (index < 0 && !list.ChooseForMirror(chooseItems))
            return false;
        if (!chooseItems)
            return true;
        TPointContentsRead read;
        list.ShowLoading();
        RunWhilePainting([&] { read = ReadPointContents(job, points, index); });
        list.CloseLoading();
        if (!read.Contents) {
            ShowError(read.ErrorText);
            return false;
        }
        return items.ChooseItems(*read.Contents, pointLabel, chosen);
    }

private:
    TJob_FilesAndFolders& job;
    QWidget* parent;
    TfrmRestoreList& list;
    TfrmRestoreItems& items;
    bool chooseItems = false;
    QString pointLabel;
};
} // namespace

TFilesRestoreCommand::TFilesRestoreCommand(QWidget* mainWindow)
    : mainWindow(mainWindow), frmRestoreList(std::make_unique<TfrmRestoreList>(mainWindow)),
      frmRestoreItems(std::make_unique<TfrmRestoreItems>(mainWindow))
{
}

TFilesRestoreCommand::~TFilesRestoreCommand() = default;

void TFilesRestoreCommand::Execute(TJob_FilesAndFolders& job)
{
    TWindowRestoreInteraction ui(job, mainWindow, *frmRestoreList, *frmRestoreItems);
    if (!job.Restore(ui))
        ShowPlainMessage(
            Translate(QStringLiteral(
                "Unable to complete the action at the moment. Please try again in several seconds.")),
            mainWindow);
}
