#pragma once
// A checkable tree of the file system whose checked items are a files-and-folders job's source list:
// a folder as "path/*" (a whole volume "/mountpoint/*", the root "/*"), a file as its path.
#include <QTreeView>

#include <functional>

class TSourceTreeModel;

class SourceTree : public QTreeView
{
public:
    explicit SourceTree(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SourceTree)

    // Shows the list checked (folders that hold checked items partially checked); nothing is expanded.
    void SetCheckedPaths(const QStringList& entries);
    QStringList CheckedPaths() const;
    // The places again, every folder collapsed and listed afresh when next expanded.
    void Refresh();

    TSourceTreeModel& Model() const { return *model; }

    // Called after every change of the checked items by the user.
    std::function<void()> OnCheckedPathsChanged;

private:
    TSourceTreeModel* model;
};
