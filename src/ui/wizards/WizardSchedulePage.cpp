#include "ui/wizards/WizardSchedulePage.h"

#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "scheduler/TimetableInsertion.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};

// A checklist of `count` days laid out column by column, `rows` days in each of `columns` columns.
QListWidget* newDayList(QWidget* parent, const char* name, int count, int rows, int columns)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (int day = 1; day <= count; ++day) {
        auto* item = new QListWidgetItem(QString::number(day), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    constexpr int kColumnWidth = 130;
    const int rowHeight = list->sizeHintForRow(0) + 4;
    list->setGridSize(QSize(kColumnWidth, rowHeight));
    list->setFixedSize(columns * kColumnWidth + 2 * list->frameWidth() + 4,
                       rows * rowHeight + 2 * list->frameWidth() + 4);
    return list;
}

bool isChecked(const QListWidget* list, int row)
{
    return list->item(row)->checkState() == Qt::Checked;
}

void setChecked(QListWidget* list, int row, bool checked)
{
    list->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace

TWizardSchedulePage::TWizardSchedulePage(TfrmAddTime& addTime, QWidget* parent)
    : QWidget(parent), addTime(addTime), chDaysOfWeek(new QCheckBox(this)),
      clDaysOfWeek(newDayList(this, "clDaysOfWeek", 7, 3, 3)), chDaysOfMonth(new QCheckBox(this)),
      clDaysOfMonth(newDayList(this, "clDaysOfMonth", 31, 7, 5)), lbTimeTableCaption(new QLabel(this)),
      lbTimeTable(new QListWidget(this)), Button4(new QPushButton(this)), Button5(new QPushButton(this)),
      chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed(new QCheckBox(this)),
      chShutdownPCInTheEnd(new QCheckBox(this))
{
    setObjectName(QStringLiteral("cardWizard_Scheduler"));
    chDaysOfWeek->setObjectName(QStringLiteral("chDaysOfWeek"));
    chDaysOfMonth->setObjectName(QStringLiteral("chDaysOfMonth"));
    lbTimeTableCaption->setObjectName(QStringLiteral("lbTimeTableCaption"));
    lbTimeTable->setObjectName(QStringLiteral("lbTimeTable"));
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5->setObjectName(QStringLiteral("Button5"));
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setObjectName(
        QStringLiteral("chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed"));
    chShutdownPCInTheEnd->setObjectName(QStringLiteral("chShutdownPCInTheEnd"));

    // Days of the month exist for jobs that carry them but are not offered here.
    chDaysOfMonth->hide();
    clDaysOfMonth->hide();
    lbTimeTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbTimeTableCaption->setBuddy(lbTimeTable);
    Button4->setText(QStringLiteral("+"));
    Button5->setText(QStringLiteral("\u2212"));
    for (QPushButton* button : {Button4, Button5}) {
        button->setFixedWidth(button->sizeHint().height() + 8);
        button->setAutoDefault(false);
    }
    // About nine start times in view.
    lbTimeTable->setFixedWidth(160);
    lbTimeTable->setFixedHeight((lbTimeTable->fontMetrics().height() + 2) * 9 +
                                2 * lbTimeTable->frameWidth());

    // The lists are indented under their captions.
    auto* days = new QHBoxLayout;
    days->addSpacing(20);
    days->addWidget(clDaysOfWeek);
    days->addWidget(clDaysOfMonth);
    days->addStretch();
    auto* timetableButtons = new QVBoxLayout;
    timetableButtons->addWidget(Button4);
    timetableButtons->addWidget(Button5);
    timetableButtons->addStretch();
    auto* timetable = new QHBoxLayout;
    timetable->addSpacing(20);
    timetable->addWidget(lbTimeTable);
    timetable->addLayout(timetableButtons);
    timetable->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chDaysOfWeek);
    layout->addLayout(days);
    layout->addWidget(chDaysOfMonth);
    layout->addSpacing(8);
    layout->addWidget(lbTimeTableCaption);
    layout->addLayout(timetable);
    layout->addSpacing(8);
    layout->addWidget(chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    layout->addWidget(chShutdownPCInTheEnd);
    layout->addStretch();

    connect(chDaysOfWeek, &QCheckBox::clicked, this, &TWizardSchedulePage::chDaysOfWeekClick);
    connect(chDaysOfMonth, &QCheckBox::clicked, this, &TWizardSchedulePage::chDaysOfMonthClick);
    connect(Button4, &QPushButton::clicked, this, &TWizardSchedulePage::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TWizardSchedulePage::Button5Click);
}

void TWizardSchedulePage::SetCaptions()
{
    chDaysOfWeek->setText(Translate(QStringLiteral("Days of the week:")));
    chDaysOfMonth->setText(Translate(QStringLiteral("Days of the month:")));
    for (int row = 0; row < 7; ++row)
        clDaysOfWeek->item(row)->setText(Translate(QLatin1String(kDayNames[row])));
    lbTimeTableCaption->setText(Translate(QStringLiteral("Timetable:")));
    Button4->setToolTip(Translate(QStringLiteral("Add...")));
    Button5->setToolTip(Translate(QStringLiteral("Remove")));
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setText(
        Translate(QStringLiteral("Run job as soon as possible after a scheduled start is missed")));
    chShutdownPCInTheEnd->setText(Translate(QStringLiteral("Shut down PC in the end")));
}

void TWizardSchedulePage::ClearControls()
{
    const TSchedulingSettings empty;
    ScheduleToControls(empty);
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setChecked(true);
    addTime.SetTime(QTime(0, 0, 0));
}

void TWizardSchedulePage::ScheduleToControls(const TSchedulingSettings& schedule)
{
    chDaysOfWeek->setChecked(schedule.SchedulingType == stDaysOfWeek);
    chDaysOfMonth->setChecked(schedule.SchedulingType == stDaysOfMonth);
    for (int day = 1; day <= 7; ++day)
        setChecked(clDaysOfWeek, day - 1, schedule.DaysOfWeek[size_t(day)]);
    for (int day = 1; day <= 31; ++day)
        setChecked(clDaysOfMonth, day - 1, schedule.DaysOfMonth[size_t(day)]);
    lbTimeTable->clear();
    lbTimeTable->addItems(schedule.TimeTable);
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setChecked(
        schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    chShutdownPCInTheEnd->setChecked(schedule.ShutdownPCInTheEnd);

    clDaysOfWeek->setEnabled(chDaysOfWeek->isChecked());
    clDaysOfMonth->setEnabled(chDaysOfMonth->isChecked());
    setTimetableControlsEnabled(chDaysOfWeek->isChecked() || chDaysOfMonth->isChecked());
}

void TWizardSchedulePage::ControlsToSchedule(TSchedulingSettings& schedule) const
{
    schedule.SchedulingType = chDaysOfWeek->isChecked()    ? stDaysOfWeek
                              : chDaysOfMonth->isChecked() ? stDaysOfMonth
                                                           : stDisabled;
    for (int day = 1; day <= 7; ++day)
        schedule.DaysOfWeek[size_t(day)] = isChecked(clDaysOfWeek, day - 1);
    for (int day = 1; day <= 31; ++day)
        schedule.DaysOfMonth[size_t(day)] = isChecked(clDaysOfMonth, day - 1);
    schedule.TimeTable.clear();
    for (int row = 0; row < lbTimeTable->count(); ++row)
        schedule.TimeTable.append(lbTimeTable->item(row)->text());
    schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed =
        chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->isChecked();
    schedule.ShutdownPCInTheEnd = chShutdownPCInTheEnd->isChecked();
}

TSchedulingSettings TWizardSchedulePage::Schedule() const
{
    TSchedulingSettings schedule;
    ControlsToSchedule(schedule);
    return schedule;
}

void TWizardSchedulePage::chDaysOfWeekClick(bool checked)
{
    dayBoxClicked(clDaysOfWeek, chDaysOfMonth, clDaysOfMonth, checked);
}

void TWizardSchedulePage::chDaysOfMonthClick(bool checked)
{
    dayBoxClicked(clDaysOfMonth, chDaysOfWeek, clDaysOfWeek, checked);
}

void TWizardSchedulePage::dayBoxClicked(QListWidget* list, QCheckBox* other, QListWidget* otherList,
                                        bool checked)
{
    if (SkipClickEvent)
        return;
    if (checked) {
        list->setEnabled(true);
        SkipClickEvent = true;
        other->setChecked(false);
        SkipClickEvent = false;
        otherList->setEnabled(false);
        setTimetableControlsEnabled(true);
    } else if (!other->isChecked()) {
        list->setEnabled(false);
        otherList->setEnabled(false);
        setTimetableControlsEnabled(false);
    }
}

void TWizardSchedulePage::setTimetableControlsEnabled(bool enabled)
{
    lbTimeTableCaption->setEnabled(enabled);
    lbTimeTable->setEnabled(enabled);
    Button4->setEnabled(enabled);
    Button5->setEnabled(enabled);
    addTime.SetPickerEnabled(enabled);
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setEnabled(enabled);
    chShutdownPCInTheEnd->setEnabled(enabled);
}

void TWizardSchedulePage::Button4Click()
{
    // The window's top right corner meets the add button's bottom right corner.
    addTime.adjustSize();
    const QPoint corner = Button4->mapToGlobal(QPoint(Button4->width(), Button4->height()));
    addTime.move(corner.x() - addTime.frameGeometry().width(), corner.y());
    if (addTime.ShowModalResult() != 1)
        return;
    QStringList timetable;
    for (int row = 0; row < lbTimeTable->count(); ++row)
        timetable.append(lbTimeTable->item(row)->text());
    qsizetype insertedAt = -1;
    const TSettingsCheck check = InsertTimetableEntry(timetable, addTime.ChosenTime(), &insertedAt);
    if (check.Refused()) {
        ShowMessageDialog(check.Message, mtWarning, mbOK, 0, this);
        return;
    }
    lbTimeTable->insertItem(int(insertedAt), timetable.at(insertedAt));
}

void TWizardSchedulePage::Button5Click()
{
    qDeleteAll(lbTimeTable->selectedItems());
}
