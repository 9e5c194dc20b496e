#include "app/OptionsCommand.h"

#include "app/core/DesktopSettings.h"
#include "i18n/Translate.h"
#include "options/RunAtLogon.h"
#include "options/uOptions.h"
#include "platform/Autorun.h"
#include "platform/ProcessPriority.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmOptions.h"

TOptionsCommand::TOptionsCommand(TfrmPassword& passwordDialog, QWidget* parent)
    : parent(parent), frmOptions(std::make_unique<TfrmOptions>(passwordDialog, parent))
{
}

TOptionsCommand::~TOptionsCommand() = default;

void TOptionsCommand::ActionOptionsExecute()
{
    TGeneralOptions& general = GlobalOptions.General;
    const bool runAtLogon = general.RunProgramAtLogon;
    const qint32 priority = general.ProcessPriority;
    frmOptions->OptionsToControls(GlobalOptions);
    if (frmOptions->ShowModalResult() == 0)
        return;
    frmOptions->ControlsToOptions(GlobalOptions);

    if (general.RunProgramAtLogon != runAtLogon && !SetAutorun(general.RunProgramAtLogon)) {
        general.RunProgramAtLogon = runAtLogon;
        ShowMessageDialog(
            Translate(QStringLiteral("Unable to change the autorun option. Make sure you have the "
                                     "rights to create/remove files in the following folder:")) +
                QStringLiteral("\n\n") + AutorunFolder(),
            mtError, mbOK, 0, parent);
    }
    if (general.ProcessPriority != priority)
        ApplyProcessPriority(general.ProcessPriority);
    SaveOptions();
    SaveVerifyCopiesAfterBackup(GlobalOptions.Processing.VerifyCopiesAfterBackup);
    SaveCheckForNewVersionAtStart(GlobalOptions.General.CheckForNewVersionAtStart);
}
