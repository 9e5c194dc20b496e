#pragma once
// "Restore" of a files-and-folders job from the main window: the output folder, the restore point
// window with its loading state, the optional choice of items, and the start of the run, which then
// shows in the job's row like a backup. Owns its two windows for the life of the program.
#include <memory>

class QWidget;
class TJob_FilesAndFolders;
class TfrmRestoreItems;
class TfrmRestoreList;

class TFilesRestoreCommand
{
public:
    explicit TFilesRestoreCommand(QWidget* mainWindow);
    ~TFilesRestoreCommand();
    TFilesRestoreCommand(const TFilesRestoreCommand&) = delete;
    TFilesRestoreCommand& operator=(const TFilesRestoreCommand&) = delete;

    void Execute(TJob_FilesAndFolders& job);

    TfrmRestoreList& restoreList() { return *frmRestoreList; }
    TfrmRestoreItems& restoreItems() { return *frmRestoreItems; }

private:
    QWidget* mainWindow;
    std::unique_ptr<TfrmRestoreList> frmRestoreList;
    std::unique_ptr<TfrmRestoreItems> frmRestoreItems;
};
