#include "imagetool/StopRequest.h"

#include <csignal>
#include <initializer_list>

namespace {
volatile std::sig_atomic_t requested = 0;

extern "C" void onStopSignal(int)
{
    requested = 1;
}
} // namespace

namespace StopRequest {

void Install()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool Requested()
{
    return requested != 0;
}

void Reset()
{
    requested = 0;
}

} // namespace StopRequest
