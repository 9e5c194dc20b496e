// zorvanbackup: the desktop program.
#include "app/ProgramEntry.h"

int main(int argc, char** argv)
{
    return RunZorvanBackup(argc, argv);
}
