#pragma once
// Asks for a job file kept on a backup storage, to import the job it describes.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmOpenJobDialog : public QDialog
{
public:
    explicit TfrmOpenJobDialog(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmOpenJobDialog)

    // Put into the path field when the dialog is shown; emptied again when it closes.
    QString DefaultPath;

    // Shows the dialog modally: 1 when "Import" accepted a job file path, 0 otherwise.
    int ShowModalResult();
    // The path field's text.
    QString JobFilePath() const;

private:
    void FormShow();
    void btBrowseClick();
    void btImportClick();

    QLabel* lbInfo;
    QLabel* lbJobFile;
    QLineEdit* edJobFile;
    QPushButton* btBrowse;
    QPushButton* btImport;
    QPushButton* btCancel;
};
