#pragma once
// The program's entry: the instance lock decides between becoming the running instance and handing
// the command line to the one that runs; "/backup", "/restore", "/remove" and "/admin" always make a
// full instance.
class TCommandLine;

// Exit code when the jobs of this user are scheduled by `zorvanbackup-cli scheduler`.
constexpr int kScheduledByCommandLine = 75;

int RunZorvanBackup(int& argc, char** argv);

// The application object's settings: Fusion style, names, icon, no quit on the last closed window.
void SetUpApplication();
