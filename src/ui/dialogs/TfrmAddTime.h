#pragma once
// The small tool window in which a start time is chosen for a wizard's timetable.
#include <QDialog>
#include <QTime>

class QPushButton;
class QTimeEdit;

class TfrmAddTime : public QDialog
{
public:
    explicit TfrmAddTime(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmAddTime)

    // Shows the window modally with its result reset: 1 for "OK" or Enter, 0 when closed otherwise.
    // The time stays as it was left, so the next start time is near the previous one.
    int ShowModalResult();
    QTime ChosenTime() const;
    void SetTime(const QTime& time);
    // The wizard enables and disables the picker together with its timetable.
    void SetPickerEnabled(bool enabled);

private:
    void FormShow();

    QTimeEdit* dtpTime;
    QPushButton* btOK;
};
