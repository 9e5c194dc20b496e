#pragma once
// The schedule page that both job wizards show: days of the week (or of the month, kept hidden), the
// timetable with its add and remove buttons, and the two run check boxes.
#include "jobs/uJob.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class TfrmAddTime;

class TWizardSchedulePage : public QWidget
{
    Q_OBJECT
public:
    TWizardSchedulePage(TfrmAddTime& addTime, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TWizardSchedulePage)

    // Texts in the interface language: captions, day names, buttons.
    void SetCaptions();
    // A new job: no day box or day checked, empty timetable, the add-time picker at 00:00:00, missed
    // starts caught up (checked but disabled until a day box is checked), no shutdown.
    void ClearControls();
    void ScheduleToControls(const TSchedulingSettings& schedule);
    // Everything but the modification time, which the wizard sets.
    void ControlsToSchedule(TSchedulingSettings& schedule) const;
    // The schedule as the controls hold it (modification time 0).
    TSchedulingSettings Schedule() const;

    // True while a day box's handler changes the other box, whose handler then does nothing.
    bool SkipClickEvent = false;

private:
    void chDaysOfWeekClick(bool checked);
    void chDaysOfMonthClick(bool checked);
    void dayBoxClicked(QListWidget* list, QCheckBox* other, QListWidget* otherList, bool checked);
    void setTimetableControlsEnabled(bool enabled);
    void Button4Click(); // add a time
    void Button5Click(); // remove the selected times
    void fillDays();

    TfrmAddTime& addTime;
    QCheckBox* chDaysOfWeek;
    QListWidget* clDaysOfWeek;
    QCheckBox* chDaysOfMonth;
    QListWidget* clDaysOfMonth;
    QLabel* lbTimeTableCaption;
    QListWidget* lbTimeTable;
    QPushButton* Button4;
    QPushButton* Button5;
    QCheckBox* chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed;
    QCheckBox* chShutdownPCInTheEnd;
};
