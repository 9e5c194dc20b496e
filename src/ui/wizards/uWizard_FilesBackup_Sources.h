#pragma once
// The files wizard's first page: the checked sources in the file-system tree and the extension filter.
#include "jobs/uJob_FilesAndFolders.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class SourceTree;
class TfrmListViewer;

class TFilesWizardSourcesPage : public QWidget
{
public:
    TFilesWizardSourcesPage(TfrmListViewer& listViewer, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFilesWizardSourcesPage)

    // No source checked, the tree collapsed, no filter ("txt;doc;exe" ready in the disabled edit).
    void Clear();
    // The job's sources that exist now, its filter and extensions.
    void Load(const TSourceSettings& sources);
    void Save(TSourceSettings& sources) const;
    // The checks of "Next", each failure shown; the whole file system as a source is only a notice.
    bool CheckBeforeNext();
    void TranslateCaptions();
    // "View as list (n)".
    void RefreshViewAsListLink();

    QStringList CheckedPaths() const;

private:
    void cmbFilterExtChange();
    void ShowList();

    TfrmListViewer& listViewer;
    QLabel* lbSourcesCaption;
    SourceTree* sourceTree;
    QLabel* Label21;
    QLabel* lbFilter;
    QComboBox* cmbFilterExt;
    QLineEdit* edExtFilter;
};
