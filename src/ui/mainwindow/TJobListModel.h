#pragma once
// The job catalogue as a list model: one row per job in catalogue order. Refresh() reads every job's
// fields once and reports the rows whose shown content changed, so a tick repaints only those.
#include "ui/mainwindow/JobRowText.h"

#include <QAbstractListModel>

#include <vector>

class TJob;
class TJobCatalogue;

class TJobListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit TJobListModel(TJobCatalogue* jobs, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Display and accessible text: the row's four cells in one line; tooltip: JobRowToolTip.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Reads the jobs again. A catalogue that gained, lost or reordered jobs resets the model (true is
    // returned); otherwise dataChanged is emitted for each row whose cells changed.
    bool Refresh();

    // The job of the row; null when the catalogue no longer holds it there (not refreshed yet).
    TJob* jobAt(int row) const;
    // The job the row showed at the last Refresh, for comparisons only: it may have been released since.
    const TJob* shownJobAt(int row) const;
    int rowOf(const TJob* job) const;
    // The cells as the last Refresh read them.
    const TJobRowCells& cells(int row) const;

private:
    struct TRow
    {
        TJob* Job = nullptr;
        TJobRowCells Cells;
    };
    std::vector<TRow> readRows() const;

    TJobCatalogue* jobs;
    std::vector<TRow> rows;
};
