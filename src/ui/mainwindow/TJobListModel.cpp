#include "ui/mainwindow/TJobListModel.h"

#include "jobs/JobCatalogue.h"

TJobListModel::TJobListModel(TJobCatalogue* jobs, QObject* parent) : QAbstractListModel(parent), jobs(jobs)
{
    rows = readRows();
}

std::vector<TJobListModel::TRow> TJobListModel::readRows() const
{
    std::vector<TRow> read;
    if (!jobs)
        return read;
    read.reserve(std::size_t(jobs->count()));
    for (int i = 0; i < jobs->count(); ++i) {
        TJob* job = jobs->at(i);
        read.push_back({job, JobRowCells(*job)});
    }
    return read;
}

int TJobListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

QVariant TJobListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TRow& row = rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row.Cells.joined();
    case Qt::ToolTipRole:
        if (const TJob* job = jobAt(index.row()))
            return JobRowToolTip(*job, TScheduleMoment::current());
        return {};
    default:
        return {};
    }
}

bool TJobListModel::Refresh()
{
    std::vector<TRow> read = readRows();
    bool sameJobs = read.size() == rows.size();
    for (std::size_t i = 0; sameJobs && i < read.size(); ++i)
        sameJobs = read[i].Job == rows[i].Job;
    if (!sameJobs) {
        beginResetModel();
        rows = std::move(read);
        endResetModel();
        return true;
    }
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i].Cells == rows[i].Cells)
            continue;
        rows[i].Cells = std::move(read[i].Cells);
        const QModelIndex changed = index(int(i));
        Q_EMIT dataChanged(changed, changed);
    }
    return false;
}

TJob* TJobListModel::jobAt(int row) const
{
    if (row < 0 || row >= int(rows.size()) || !jobs || row >= jobs->count())
        return nullptr;
    // Until the next Refresh the catalogue may have lost the job: never hand out a released one.
    TJob* job = rows[std::size_t(row)].Job;
    return jobs->at(row) == job ? job : nullptr;
}

const TJob* TJobListModel::shownJobAt(int row) const
{
    return row >= 0 && row < int(rows.size()) ? rows[std::size_t(row)].Job : nullptr;
}

int TJobListModel::rowOf(const TJob* job) const
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Job == job)
            return int(i);
    }
    return -1;
}

const TJobRowCells& TJobListModel::cells(int row) const
{
    return rows.at(std::size_t(row)).Cells;
}
