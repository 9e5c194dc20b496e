#pragma once
// A backup of either kind of job followed in the foreground by the command line.
#include <functional>

class CliApp;
class TJob;

// Installs the Ctrl-C handling, calls `start` (which starts the run on its worker thread; false when
// the job runs already) and follows the run until the job is idle again: its log is printed as it
// grows, on a terminal only the warnings and errors below a live progress line and then the closing
// lines; the events of the run go to the error stream at the end. Ctrl-C cancels the run as the
// Cancel command does. Returns the exit code of the run.
int RunBackupInForeground(CliApp& app, TJob& job, const std::function<bool()>& start);
