// zorvan-smbhelper: the second SMB session of a copy. Started by the program with a local socket as its
// standard input and output; sets times and writes parts of files as asked until the socket closes.
#include "platform/SmbHelperService.h"

#include <unistd.h>

int main()
{
    return RunSmbHelperService(STDIN_FILENO);
}
