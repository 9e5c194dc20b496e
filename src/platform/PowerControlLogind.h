#pragma once
// Power-off through systemd-logind's PowerOff; when the bus or logind cannot be reached, the fallback
// command (`systemctl poweroff`) is run instead.
#include "platform/PowerControl.h"

#include <QString>
#include <QStringList>

class TPowerControlLogind : public TPowerControl
{
public:
    // `busAddress` empty: the system bus. `fallbackCommand`: program and arguments run when logind
    // does not answer; empty for none.
    explicit TPowerControlLogind(const QString& busAddress = QString(),
                                 const QStringList& fallbackCommand = {QStringLiteral("systemctl"),
                                                                       QStringLiteral("poweroff")});
    bool PowerOffComputer() override;

    // Whether the last request went to logind (true) or to the fallback command (false).
    bool lastRequestUsedLogind() const { return usedLogind; }

private:
    bool askLogind(bool* reached);
    bool runFallback() const;

    QString busAddress;
    QStringList fallbackCommand;
    bool usedLogind = false;
};
