#include "ui/wizards/uWizard_FilesBackup_Schedule.h"

#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "scheduler/TimetableInsertion.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};

QListWidget* NewDayList(QWidget* parent, const QString& name, int days, int rows, int columns)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (int day = 1; day <= days; ++day) {
        auto* item = new QListWidgetItem(QString::number(day), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Column by column, `rows` days each.
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = list->sizeHintForRow(0);
    list->setGridSize(QSize(130, rowHeight + 4));
    list->setFixedSize(columns * 130 + 2 * list->frameWidth() + 4,
                       rows * (rowHeight + 4) + 2 * list->frameWidth() + 4);
    return list;
}

void SetDays(QListWidget* list, const bool* days)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(days[i] ? Qt::Checked : Qt::Unchecked);
}

void GetDays(const QListWidget* list, bool* days)
{
    for (int i = 0; i < list->count(); ++i)
        days[i] = list->item(i)->checkState() == Qt::Checked;
}

} // namespace

TFilesWizardSchedulePage::TFilesWizardSchedulePage(TfrmAddTime& addTime, QWidget* parent)
    : QWidget(parent), addTime(addTime), chDaysOfWeek(new QCheckBox(this)),
      clDaysOfWeek(NewDayList(this, QStringLiteral("clDaysOfWeek"), 7, 3, 3)),
      chDaysOfMonth(new QCheckBox(this)),
      clDaysOfMonth(NewDayList(this, QStringLiteral("clDaysOfMonth"), 31, 7, 5)),
      lbTimeTableCaption(new QLabel(this)), lbTimeTable(new QListWidget(this)),
      Button4(new QPushButton(QStringLiteral("+"), this)),
      Button5(new QPushButton(QString(QChar(0x2212)), this)),
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

    // The month days are kept for the jobs that use them but not offered.
    chDaysOfMonth->hide();
    clDaysOfMonth->hide();
    lbTimeTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbTimeTable->setFixedWidth(160);
    lbTimeTable->setFixedHeight((lbTimeTable->fontMetrics().height() + 2) * 9 +
                                2 * lbTimeTable->frameWidth());
    lbTimeTableCaption->setBuddy(lbTimeTable);
    for (QPushButton* button : {Button4, Button5}) {
        button->setFixedWidth(32);
        button->setAutoDefault(false);
    }

    auto* days = new QHBoxLayout;
    days->addSpacing(20);
    days->addWidget(clDaysOfWeek);
    days->addWidget(clDaysOfMonth);
    days->addStretch();
    auto* timeButtons = new QVBoxLayout;
    timeButtons->addWidget(Button4);
    timeButtons->addWidget(Button5);
    timeButtons->addStretch();
    auto* timetable = new QHBoxLayout;
    timetable->addSpacing(20);
    timetable->addWidget(lbTimeTable);
    timetable->addLayout(timeButtons);
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

    connect(chDaysOfWeek, &QCheckBox::toggled, this, &TFilesWizardSchedulePage::chDaysOfWeekClick);
    connect(chDaysOfMonth, &QCheckBox::toggled, this, &TFilesWizardSchedulePage::chDaysOfMonthClick);
    connect(Button4, &QPushButton::clicked, this, &TFilesWizardSchedulePage::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TFilesWizardSchedulePage::Button5Click);
}

void TFilesWizardSchedulePage::TranslateCaptions()
{
    chDaysOfWeek->setText(Translate(QStringLiteral("Days of the week:")));
    chDaysOfMonth->setText(Translate(QStringLiteral("Days of the month:")));
    for (int i = 0; i < clDaysOfWeek->count(); ++i)
        clDaysOfWeek->item(i)->setText(Translate(QString::fromLatin1(kDayNames[i])));
    lbTimeTableCaption->setText(Translate(QStringLiteral("Timetable:")));
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setText(
        Translate(QStringLiteral("Run job as soon as possible after a scheduled start is missed")));
    chShutdownPCInTheEnd->setText(Translate(QStringLiteral("Shut down PC in the end")));
}

void TFilesWizardSchedulePage::Clear()
{
    SkipClickEvent = true;
    chDaysOfWeek->setChecked(false);
    chDaysOfMonth->setChecked(false);
    SkipClickEvent = false;
    const bool none[31] = {};
    SetDays(clDaysOfWeek, none);
    SetDays(clDaysOfMonth, none);
    lbTimeTable->clear();
    addTime.SetTime(QTime(0, 0));
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setChecked(true);
    chShutdownPCInTheEnd->setChecked(false);
    ApplyScheduleEnabling();
}

void TFilesWizardSchedulePage::Load(const TSchedulingSettings& schedule)
{
    SkipClickEvent = true;
    chDaysOfWeek->setChecked(schedule.SchedulingType == stDaysOfWeek);
    chDaysOfMonth->setChecked(schedule.SchedulingType == stDaysOfMonth);
    SkipClickEvent = false;
    SetDays(clDaysOfWeek, schedule.DaysOfWeek.data() + 1);
    SetDays(clDaysOfMonth, schedule.DaysOfMonth.data() + 1);
    lbTimeTable->clear();
    lbTimeTable->addItems(schedule.TimeTable);
    chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->setChecked(
        schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    chShutdownPCInTheEnd->setChecked(schedule.ShutdownPCInTheEnd);
    ApplyScheduleEnabling();
}

void TFilesWizardSchedulePage::Save(TSchedulingSettings& schedule) const
{
    schedule.SchedulingType = chDaysOfWeek->isChecked()    ? stDaysOfWeek
                              : chDaysOfMonth->isChecked() ? stDaysOfMonth
                                                           : stDisabled;
    GetDays(clDaysOfWeek, schedule.DaysOfWeek.data() + 1);
    GetDays(clDaysOfMonth, schedule.DaysOfMonth.data() + 1);
    schedule.TimeTable = TimeTable();
    schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed =
        chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed->isChecked();
    schedule.ShutdownPCInTheEnd = chShutdownPCInTheEnd->isChecked();
}

bool TFilesWizardSchedulePage::CheckBeforeSave()
{
    TSchedulingSettings schedule;
    Save(schedule);
    const TSettingsCheck check = CheckSchedule(schedule);
    if (!check.Refused())
        return true;
    ShowMessageDialog(check.Message, mtWarning, mbOK, 0, window());
    return false;
}

QStringList TFilesWizardSchedulePage::TimeTable() const
{
    QStringList entries;
    for (int i = 0; i < lbTimeTable->count(); ++i)
        entries.append(lbTimeTable->item(i)->text());
    return entries;
}

void TFilesWizardSchedulePage::chDaysOfWeekClick()
{
    if (SkipClickEvent)
        return;
    SkipClickEvent = true;
    if (chDaysOfWeek->isChecked())
        chDaysOfMonth->setChecked(false);
    SkipClickEvent = false;
    ApplyScheduleEnabling();
}

void TFilesWizardSchedulePage::chDaysOfMonthClick()
{
    if (SkipClickEvent)
        return;
    SkipClickEvent = true;
    if (chDaysOfMonth->isChecked())
        chDaysOfWeek->setChecked(false);
    SkipClickEvent = false;
    ApplyScheduleEnabling();
}

void TFilesWizardSchedulePage::ApplyScheduleEnabling()
{
    clDaysOfWeek->setEnabled(chDaysOfWeek->isChecked());
    clDaysOfMonth->setEnabled(chDaysOfMonth->isChecked());
    const bool scheduled = chDaysOfWeek->isChecked() || chDaysOfMonth->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             lbTimeTableCaption, lbTimeTable, Button4, Button5,
             chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed, chShutdownPCInTheEnd})
        control->setEnabled(scheduled);
    addTime.SetPickerEnabled(scheduled);
}

void TFilesWizardSchedulePage::Button4Click()
{
    // The window hangs below the "+" button, right edges aligned.
    addTime.adjustSize();
    const QPoint corner = Button4->mapToGlobal(QPoint(Button4->width(), Button4->height()));
    addTime.move(corner.x() - addTime.frameGeometry().width(), corner.y());
    if (addTime.ShowModalResult() != 1)
        return;
    QStringList timetable = TimeTable();
    qsizetype at = -1;
    const TSettingsCheck check = InsertTimetableEntry(timetable, addTime.ChosenTime(), &at);
    if (check.Refused()) {
        ShowMessageDialog(check.Message, mtWarning, mbOK, 0, window());
        return;
    }
    lbTimeTable->insertItem(int(at), timetable.at(at));
}

void TFilesWizardSchedulePage::Button5Click()
{
    qDeleteAll(lbTimeTable->selectedItems());
}
