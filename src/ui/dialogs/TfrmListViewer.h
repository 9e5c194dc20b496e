#pragma once
// Shows the files wizard's checked source paths as a plain list.
#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmListViewer : public QDialog
{
public:
    explicit TfrmListViewer(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmListViewer)

    // Fills the text with `sources` (one per line, in their order) and shows the window modally.
    void ShowList(const QStringList& sources);
    // The text shown for `sources`: a folder entry "path/*" shows as "path" (a drive root "/*" as "/").
    static QString ListText(const QStringList& sources);

private:
    void FormShow(const QStringList& sources);

    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* btOK;
};
