#pragma once
// The browse-for-folder dialog: a title, a prompt, a root (the local file system or the network) and
// "OK only for an existing folder". Rooted at the network it lists the shares of a server the user names
// and their folders, with the caller's user name and password, and returns a "//server/share/folder"
// path. Network listings run on a worker thread; their errors show inside the dialog.
// Tests queue the next answers through FolderChooserHook instead of showing it.
#include "platform/SmbBrowsing.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

enum TFolderChooserRoot
{
    frFileSystem,
    frNetwork
};

struct TFolderChooserSettings
{
    QString Title;
    QString Prompt;
    TFolderChooserRoot Root = frFileSystem;
    // Local: the folder selected at first. Network: the server whose shares are listed at first
    // (a path below it selects nothing). Empty: none.
    QString StartFolder;
    bool OnlyExistingFolder = true;
    TSmbCredentials Credentials; // network only
};

// The chosen folder, or empty when cancelled.
QString ChooseFolder(QWidget* parent, const TFolderChooserSettings& settings);

namespace FolderChooserHook {
// The next call of ChooseFolder returns `path` without showing the dialog (empty: as if cancelled).
void answerNext(const QString& path);
void clearAnswers();
// The settings of the calls answered through the hook, oldest first.
QList<TFolderChooserSettings> asked();
} // namespace FolderChooserHook

class TfrmFolderChooser : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmFolderChooser(QWidget* parent = nullptr);
    ~TfrmFolderChooser() override;
    Q_DISABLE_COPY_MOVE(TfrmFolderChooser)

    // Prepares the dialog for one showing (texts, root, start folder); a network start server is
    // listed at once.
    void Prepare(const TFolderChooserSettings& settings);
    // The folder confirmed with OK.
    QString ChosenFolder() const { return chosenFolder; }
    // A network listing or check is under way.
    bool Busy() const { return pendingRequests > 0; }

    // Lists the shares of the server named in the server box.
    void ShowShares();

private:
    void setStatus(const QString& text, bool isError);
    void updateOkButton();
    void okClicked();
    void acceptFolder(const QString& folder);
    void networkItemExpanded(QTreeWidgetItem* item);
    void networkSelectionChanged();
    void localSelectionChanged();
    void showLocalStart();
    QString typedFolder() const;
    // Runs `work` (which must not touch the dialog) on a worker thread; `done` gets its result on the
    // window thread, unless the dialog is gone or a newer server listing has started meanwhile.
    template <class Result>
    void runInBackground(std::function<Result()> work, std::function<void(const Result&)> done);

    TFolderChooserSettings current;
    QString chosenFolder;
    QString localStart; // the local start folder, selected once the model has read it
    int pendingRequests = 0;
    quint64 generation = 0; // raised by each server listing: older answers are dropped

    QLabel* lbPrompt;
    QLabel* lbServer;
    QLineEdit* edServer;
    QPushButton* btShowShares;
    QLabel* lbAccount;
    QTreeWidget* tvNetwork;
    QTreeView* tvLocal;
    QFileSystemModel* localModel;
    QLabel* lbFolder;
    QLineEdit* edFolder;
    QLabel* lbStatus;
    QDialogButtonBox* buttons;
    QPushButton* btOK;
    QPushButton* btCancel;
};
