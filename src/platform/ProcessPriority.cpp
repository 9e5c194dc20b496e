#include "platform/ProcessPriority.h"

#include <sys/resource.h>

int NiceValueForPriority(int processPriority, bool* known)
{
    static constexpr int kNice[] = {19, 0, -10, -20};
    *known = processPriority >= 0 && processPriority < 4;
    return *known ? kNice[processPriority] : 0;
}

void ApplyProcessPriority(int processPriority)
{
    bool known = false;
    const int nice = NiceValueForPriority(processPriority, &known);
    if (known)
        (void)setpriority(PRIO_PROCESS, 0, nice); // EACCES for an unprivileged raise: ignored
}
