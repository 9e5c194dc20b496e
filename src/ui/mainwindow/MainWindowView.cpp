// The main window's list, selection, keys, command states and status bar.
#include "base/AppState.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobStatusText.h"
#include "ui/mainwindow/TEventsPanelWidget.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/mainwindow/TJobListModel.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

void TfrmMainOstrinBackup::Refresh(const TTickCounts& counts)
{
    refreshView();
    updateStatusBar(counts);
}

void TfrmMainOstrinBackup::refreshView()
{
    const TJob* selected = model->shownJobAt(selectedRow());
    if (model->Refresh())
        selectJob(model->rowOf(selected));
    UpdateCommandStates();
}

int TfrmMainOstrinBackup::selectedRow() const
{
    const QModelIndexList selected = lbJobsList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TfrmMainOstrinBackup::FlushEvents(qint32 maxLines)
{
    events->Flush(maxLines);
}

void TfrmMainOstrinBackup::AppendToEventsPanel(const QString& text)
{
    events->Append(text);
}

TJob* TfrmMainOstrinBackup::selectedJob() const
{
    return model->jobAt(selectedRow());
}

void TfrmMainOstrinBackup::selectJob(int index)
{
    QItemSelectionModel* selection = lbJobsList->selectionModel();
    if (index < 0 || index >= model->rowCount()) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(model->index(index), QItemSelectionModel::ClearAndSelect);
    lbJobsList->scrollTo(model->index(index));
}

void TfrmMainOstrinBackup::bindPauseItems(bool paused)
{
    QAction* wanted = paused ? ActionResume : ActionPause;
    QAction* bound = paused ? ActionPause : ActionResume;
    for (QMenu* menu : {menuRun, pmRun}) {
        if (!menu->actions().contains(bound))
            continue;
        menu->insertAction(bound, wanted);
        menu->removeAction(bound);
    }
}

void TfrmMainOstrinBackup::UpdateCommandStates()
{
    TJob* job = selectedJob();
    const bool idle = job && job->JobStatus.load() == jsNone;
    for (QAction* action : {ActionBackup, ActionRestore, ActionRemove, ActionSettings, ActionRename,
                            ActionHistory, ActionLog, ActionDuplicate})
        action->setEnabled(idle);
    menuEdit->menuAction()->setEnabled(idle);
    // Drive images record no checksums of their contents: only files-and-folders jobs are verified.
    ActionVerify->setEnabled(idle && job->Kind() == jkFilesAndFolders);

    const auto setRunItems = [this](bool enabled) {
        for (QAction* action : {ActionPause, ActionResume, ActionCancel})
            action->setEnabled(enabled);
    };
    if (!job) {
        setRunItems(false);
        popupMenu = nullptr;
    } else {
        switch (job->JobStatus.load()) {
        case jsNone:
            setRunItems(false);
            popupMenu = pmJob;
            break;
        case jsWaiting:
        case jsRunning:
            setRunItems(true);
            popupMenu = pmRun;
            bindPauseItems(false);
            break;
        case jsPaused:
            setRunItems(true);
            popupMenu = pmRun;
            bindPauseItems(true);
            break;
        case jsCancelling:
            // Left as they were: the run is about to end.
            break;
        }
    }
    const int row = job ? model->rowOf(job) : -1;
    btMoveUp->setEnabled(row > 0);
    btMoveDown->setEnabled(row >= 0 && row < model->rowCount() - 1);
}

QMenu* TfrmMainOstrinBackup::contextMenuForSelection() const
{
    return selectedJob() ? popupMenu : nullptr;
}

void TfrmMainOstrinBackup::updateStatusBar(const TTickCounts& counts)
{
    lastCounts = counts;
    const auto set = [](QLabel* panel, const QString& text) {
        if (panel->text() != text)
            panel->setText(text);
    };
    set(lbStatusJobs,
        Translate(QStringLiteral("Jobs")) + QStringLiteral(": ") + QString::number(counts.Jobs));
    set(lbStatusRunning,
        Translate(QStringLiteral("Running")) + QStringLiteral(": ") + QString::number(counts.Running));
    set(lbStatusCancelled,
        Translate(QStringLiteral("Cancelled")) + QStringLiteral(": ") + QString::number(counts.Cancelled));
    set(lbStatusInfo, statusInfoText());
}

// The next scheduled backup of all jobs, so the user sees at a glance that the scheduler has work.
QString TfrmMainOstrinBackup::statusInfoText() const
{
    if (!services.Jobs)
        return {};
    const TScheduleMoment now = TScheduleMoment::current();
    std::optional<TScheduleMoment> earliest;
    const TJob* earliestJob = nullptr;
    for (int i = 0; i < services.Jobs->count(); ++i) {
        const TJob* job = services.Jobs->at(i);
        const std::optional<TScheduleMoment> next = NextScheduledStart(job->SchedulingSettings, now);
        if (next && (!earliest || next->totalMsecs() < earliest->totalMsecs())) {
            earliest = next;
            earliestJob = job;
        }
    }
    if (!earliest)
        return Translate(QStringLiteral("No backup is scheduled"));
    return Translate(QStringLiteral("Next backup:")) + ' ' + earliestJob->stJobName + QStringLiteral(", ") +
           FormatShortDateLongTime(earliest->toDateTime());
}

void TfrmMainOstrinBackup::fitLastSection()
{
    if (AppTerminating.load())
        return;
    const int used = header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
    const int width = lbJobsList->viewport()->width();
    if (header->sectionSize(3) != qMax(0, width - used))
        header->resizeSection(3, qMax(0, width - used));
}

void TfrmMainOstrinBackup::moveSelected(bool up)
{
    TJob* job = selectedJob();
    if (!job || !services.Jobs)
        return;
    const int row = services.Jobs->indexOfName(job->stJobName);
    if (row < 0 || !(up ? services.Jobs->MoveUp(row) : services.Jobs->MoveDown(row)))
        return;
    services.Jobs->SaveJobsList();
    refreshView();
}

bool TfrmMainOstrinBackup::listKeyPressed(int key)
{
    const int row = selectedRow();
    if (key == Qt::Key_Up && row > 0)
        selectJob(row - 1);
    else if (key == Qt::Key_Down && row + 1 < model->rowCount())
        selectJob(row + 1);
    return true;
}

void TfrmMainOstrinBackup::listRightPressed(const QPoint& position)
{
    const QModelIndex index = lbJobsList->indexAt(position);
    selectJob(index.isValid() ? index.row() : -1);
}

bool TfrmMainOstrinBackup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbJobsList) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Tab still moves the focus on and the menu key still opens the row's menu: the list must
            // not trap the keyboard.
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Menu)
                return false;
            return listKeyPressed(key);
        }
        if (event->type() == QEvent::Resize)
            fitLastSection();
    } else if (watched == lbJobsList->viewport()) {
        const bool press = event->type() == QEvent::MouseButtonPress;
        if ((press || event->type() == QEvent::MouseButtonDblClick) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            if (press)
                listRightPressed(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        }
        if (event->type() == QEvent::Resize)
            fitLastSection();
    }
    return QMainWindow::eventFilter(watched, event);
}
