#include "options/RunAtLogon.h"

#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "platform/Autorun.h"

bool SetAutorun(bool on, const QString& program)
{
    const TAutorunResult result = WriteAutorunEntry(on, program);
    if (result == TAutorunResult::WriteFailed)
        AddEvent(Translate(QStringLiteral(
                               "Error writing to the autostart folder %s. Make sure you have the rights."))
                     .replace(QStringLiteral("%s"), AutorunFolder()));
    return result == TAutorunResult::Done;
}
