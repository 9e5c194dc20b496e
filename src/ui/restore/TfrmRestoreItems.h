#pragma once
// The files and folders of a restore point as they were then, with check boxes: only the checked ones
// are restored. OK waits until something is checked.
#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QTreeView;
class TPointContents;
class TRestoreItemsModel;

class TfrmRestoreItems : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRestoreItems(QWidget* parent = nullptr);
    ~TfrmRestoreItems() override;
    Q_DISABLE_COPY_MOVE(TfrmRestoreItems)

    // Shows `contents` modally (`pointLabel` names the point); true with the chosen items after OK.
    bool ChooseItems(const TPointContents& contents, const QString& pointLabel, QStringList& items);

    TRestoreItemsModel* model() const { return itemsModel.get(); }

private:
    void updateState();

    QLabel* lbPoint;
    QTreeView* tvItems;
    QLabel* lbChosen;
    QPushButton* btOK;
    QPushButton* btCancel;
    std::unique_ptr<TRestoreItemsModel> itemsModel;
};
