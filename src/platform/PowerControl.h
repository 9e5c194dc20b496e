#pragma once
// Turning the computer off at the end of the scheduled work.
class TPowerControl
{
public:
    virtual ~TPowerControl() = default;
    // Asks the system to power off at once; true when the system accepted the request.
    virtual bool PowerOffComputer() = 0;
};
