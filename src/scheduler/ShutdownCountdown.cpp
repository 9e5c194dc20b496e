#include "scheduler/ShutdownCountdown.h"

#include "base/AppState.h"
#include "i18n/Translate.h"
#include "platform/PowerControl.h"
#include "scheduler/Scheduler.h"

TShutdownCountdown::TShutdownCountdown(TScheduler& scheduler, TPowerControl& power)
    : scheduler(scheduler), power(power)
{
    timer.setInterval(kStepMsecs);
    QObject::connect(&timer, &QTimer::timeout, [this] { step(); });
}

void TShutdownCountdown::open()
{
    SecondsLeft = kSeconds;
    opened = true;
    accepted = false;
    timer.start();
    if (Callbacks.Opened)
        Callbacks.Opened();
}

void TShutdownCountdown::step()
{
    if (!opened)
        return;
    if (SecondsLeft > 0) {
        --SecondsLeft;
        if (Callbacks.Changed)
            Callbacks.Changed();
        return;
    }
    timer.stop();
    AppTerminating.store(true);
    if (!power.PowerOffComputer()) {
        // Refused (missing rights, policy): silently back to the schedule.
        cancel();
        return;
    }
    // The system now ends the user's session, which ends the program.
    accepted = true;
    close();
}

void TShutdownCountdown::shutdownNow()
{
    SecondsLeft = 0;
}

void TShutdownCountdown::cancel()
{
    timer.stop();
    scheduler.ShutdownPending = false;
    scheduler.enableTimer();
    AppTerminating.store(false);
    close();
}

void TShutdownCountdown::closeByUser()
{
    if (accepted) {
        timer.stop();
        return;
    }
    if (opened)
        cancel();
}

QString TShutdownCountdown::captionText()
{
    return ' ' + Translate(QStringLiteral("Warning!"));
}

QString TShutdownCountdown::shutdownButtonText()
{
    return Translate(QStringLiteral("Shutdown"));
}

QString TShutdownCountdown::cancelButtonText()
{
    return Translate(QStringLiteral("Cancel"));
}

QString TShutdownCountdown::labelText() const
{
    // Shown from the start, so the first second already reads 60.
    return Translate(QStringLiteral("All backup tasks are done. According to the program settings, the "
                                    "computer will be turned off after %s seconds."))
        .replace(QStringLiteral("%s"), QString::number(SecondsLeft));
}

void TShutdownCountdown::close()
{
    opened = false;
    if (Callbacks.Closed)
        Callbacks.Closed();
}
