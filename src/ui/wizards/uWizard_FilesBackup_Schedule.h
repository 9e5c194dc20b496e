#pragma once
// The files wizard's last page: the days (of the week; the days of the month exist but stay hidden), the
// timetable kept sorted, and the two run flags.
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class TfrmAddTime;
struct TSchedulingSettings;

class TFilesWizardSchedulePage : public QWidget
{
public:
    TFilesWizardSchedulePage(TfrmAddTime& addTime, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFilesWizardSchedulePage)

    void Clear();
    void Load(const TSchedulingSettings& schedule);
    // Everything but the modification time.
    void Save(TSchedulingSettings& schedule) const;
    // Warns and returns false when days are chosen but none is ticked, or the timetable is empty.
    bool CheckBeforeSave();
    void TranslateCaptions();

private:
    void chDaysOfWeekClick();
    void chDaysOfMonthClick();
    void ApplyScheduleEnabling();
    void Button4Click();
    void Button5Click();
    QStringList TimeTable() const;

    TfrmAddTime& addTime;
    // True while one day box's handler unchecks the other, whose handler then does nothing.
    bool SkipClickEvent = false;

    QCheckBox* chDaysOfWeek;
    QListWidget* clDaysOfWeek;
    QCheckBox* chDaysOfMonth;
    QListWidget* clDaysOfMonth;
    QLabel* lbTimeTableCaption;
    QListWidget* lbTimeTable;
    QPushButton* Button4; // "+"
    QPushButton* Button5; // "−"
    QCheckBox* chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed;
    QCheckBox* chShutdownPCInTheEnd;
};
