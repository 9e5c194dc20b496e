#pragma once
// The end-of-run shutdown countdown that the shutdown dialog shows: sixty seconds, then a power-off
// request. "Shutdown" ends the wait at once; "Cancel" (or closing the dialog) disarms the shutdown
// and restarts the scheduler; a refused power-off behaves like "Cancel".
#include <QString>
#include <QTimer>

#include <functional>

class TPowerControl;
class TScheduler;

// What the countdown asks of its dialog. Unset callbacks are skipped.
struct TShutdownCountdownCallbacks
{
    // The countdown has started: show the dialog (on top, centred).
    std::function<void()> Opened;
    // One second has passed: show LabelText() and bring the dialog on top again.
    std::function<void()> Changed;
    // The countdown is over (power-off accepted, cancelled or refused): close the dialog.
    std::function<void()> Closed;
};

class TShutdownCountdown
{
public:
    static constexpr int kSeconds = 60;
    static constexpr int kStepMsecs = 1000;

    TShutdownCountdown(TScheduler& scheduler, TPowerControl& power);
    TShutdownCountdown(const TShutdownCountdown&) = delete;
    TShutdownCountdown& operator=(const TShutdownCountdown&) = delete;

    // Starts the countdown at 60 seconds.
    void open();
    // One step of the countdown timer: a second less, or the power-off request once at 0.
    void step();
    // "Shutdown": the next step makes the request.
    void shutdownNow();
    // "Cancel": stops the countdown, disarms the shutdown, enables the scheduler timer again.
    void cancel();
    // The dialog's close box: "Cancel", unless the power-off was already accepted.
    void closeByUser();

    bool isOpen() const { return opened; }
    int secondsLeft() const { return SecondsLeft; }
    bool isStepTimerActive() const { return timer.isActive(); }
    bool powerOffAccepted() const { return accepted; }

    // " Warning!" (with its leading blank) for the caption; "Shutdown" and "Cancel" for the buttons.
    static QString captionText();
    static QString shutdownButtonText();
    static QString cancelButtonText();
    // The message with the seconds left in place of %s.
    QString labelText() const;

    TShutdownCountdownCallbacks Callbacks;

private:
    void close();

    TScheduler& scheduler;
    TPowerControl& power;
    QTimer timer;
    int SecondsLeft = 0;
    bool opened = false;
    bool accepted = false;
};
