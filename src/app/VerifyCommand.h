#pragma once
// "Verify" of a files-and-folders job from the main window: the restore point list is read while the
// window keeps painting, then the verification runs as an operation of the job and shows in its row.
class QWidget;
class TJob_FilesAndFolders;

void VerifyJobFromWindow(TJob_FilesAndFolders& job, QWidget* mainWindow);
