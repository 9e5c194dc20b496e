#pragma once
// The start-up work of the main window that does not need a widget: the application, shared,
// temporary and log folders, the options, the process priority and the job catalogue.
#include <QString>
#include <QStringList>

class TJobCatalogue;

struct TStartupResult
{
    // The program cannot run (the application or shared data folder could not be created).
    bool MustTerminate = false;
    // Error messages for the user, in order; the window shows each one.
    QStringList ErrorMessages;
    bool JobsLoaded = false;
};

// The name of the temporary-files folder: the title without blanks, followed by "Tmp".
QString TemporaryFolderName();

struct TStartupSteps
{
    // The command-line program reads the configuration without writing the autorun entry.
    bool WriteAutorunWithDefaults = true;
    bool ApplyPriority = true;
};

// Runs the start-up steps in order; events go to the events queue. Sets AppTerminating when the
// program cannot run.
TStartupResult PrepareApplication(TJobCatalogue& catalogue, const TStartupSteps& steps = {});
