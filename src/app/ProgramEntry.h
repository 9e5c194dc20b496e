#pragma once
// The program's entry: the instance lock decides between becoming the running instance and handing
// the command line to the one that runs; "/backup", "/restore", "/remove" and "/admin" always make a
// full instance.
#include <functional>

class TCommandLine;
class TInstanceLock;

// Exit code when the jobs of this user are scheduled by `zorvanbackup-cli scheduler`.
constexpr int kScheduledByCommandLine = 75;

int RunZorvanBackup(int& argc, char** argv);

// A second start: hands the command line to the running instance and waits for its answer (and a
// second more after a job file). When nobody answers although `lock` is held, the command-line
// scheduler holds it: `makeApplication` makes the application object for the error message, and the
// exit code is kScheduledByCommandLine. A lock file that could not be made at all: an error and 1.
int HandOverToRunningInstance(const TCommandLine& commandLine, const TInstanceLock& lock,
                              const std::function<void()>& makeApplication = {});

// The application object's settings: Fusion style, names, icon, no quit on the last closed window.
void SetUpApplication();
