#pragma once
// The restore point window: a waiting panel while the list of backups is read from the storage, then
// the list of restore points to choose from (oldest first), with the choice between restoring
// everything and choosing the items. For a mirror, which has no points, only that choice is offered.
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QFrame;

class TfrmRestoreList : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRestoreList(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmRestoreList)

    // The loading state, shown without being modal and painted at once; CloseLoading ends it.
    void ShowLoading();
    void CloseLoading();
    bool IsLoading() const;
    // The choosing state, modal: false on Cancel or when the window is closed.
    bool ChoosePoint(const QStringList& labels, qint32& index, bool& chooseItems);
    // The same window for a mirror: the list is hidden and only what to restore is asked.
    bool ChooseForMirror(bool& chooseItems);

    int Tag = 0; // 1 after OK

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void FormClose();
    void ListBox1Click();
    void Button1Click();
    bool runChoosing(bool mirror, bool& chooseItems);

    QFrame* Panel3;
    QLabel* Label1;
    QListWidget* ListBox1;
    QLabel* Panel2; // the loading state's panel, with its caption
    QFrame* pnItems;
    QRadioButton* rbRestoreEverything;
    QRadioButton* rbChooseItems;
    QFrame* Panel1;
    QPushButton* Button1; // OK
    QPushButton* Button2; // Cancel
    bool mirror = false;
};
