#include "ui/widgets/SourceTree.h"

#include "ui/widgets/SourceTreeModel.h"

#include <QHeaderView>

SourceTree::SourceTree(QWidget* parent) : QTreeView(parent), model(new TSourceTreeModel(this))
{
    setObjectName(QStringLiteral("SourceTree"));
    setModel(model);
    setHeaderHidden(true);
    // One row height for all rows keeps a folder of many thousands of entries quick to lay out.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // A view that has not been laid out yet only notes an expansion; the listing starts at once anyway.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (model->canFetchMore(index))
            model->fetchMore(index);
    });
    connect(model, &TSourceTreeModel::checkedPathsChanged, this, [this] {
        if (OnCheckedPathsChanged)
            OnCheckedPathsChanged();
    });
}

void SourceTree::SetCheckedPaths(const QStringList& entries)
{
    model->SetCheckedPaths(entries);
}

QStringList SourceTree::CheckedPaths() const
{
    return model->CheckedPaths();
}

void SourceTree::Refresh()
{
    model->Refresh();
}
