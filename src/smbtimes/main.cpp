// zorvan-smbtimes: the second SMB session of a backup run. Started by the program with a local socket
// as its standard input and output; sets the last-write times it is asked for until the socket closes.
#include "platform/SmbTimeService.h"

#include <unistd.h>

int main()
{
    return RunSmbTimeService(STDIN_FILENO);
}
