#pragma once
// Starting this program again with administrator rights.
#include <QStringList>

class TElevation
{
public:
    virtual ~TElevation() = default;
    // Starts the program elevated with `arguments`. True once the elevated program is running;
    // false when the user refused or the start failed.
    virtual bool StartElevated(const QStringList& arguments) = 0;
};
