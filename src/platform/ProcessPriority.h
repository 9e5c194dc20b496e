#pragma once
// The program's own scheduling priority: 0 idle, 1 normal, 2 high, 3 realtime (nice 19, 0, -10, -20).
// Other values change nothing; a raise the system refuses is ignored.
void ApplyProcessPriority(int processPriority);
// The nice value a priority class maps to, or no value for an unknown class.
int NiceValueForPriority(int processPriority, bool* known);
