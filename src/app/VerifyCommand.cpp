#include "app/VerifyCommand.h"

#include "app/WhilePainting.h"
#include "engine/VerificationRun.h"
#include "i18n/Translate.h"
#include "ui/dialogs/MessageDialog.h"

namespace {
class TWindowVerifyInteraction final : public TVerifyInteraction
{
public:
    explicit TWindowVerifyInteraction(QWidget* parent) : parent(parent) {}
    void WhileReading(const std::function<void()>& read) override { RunWhilePainting(read); }
    void ShowError(const QString& message) override { ShowMessageDialog(message, mtError, mbOK, 0, parent); }

private:
    QWidget* parent;
};
} // namespace

void VerifyJobFromWindow(TJob_FilesAndFolders& job, QWidget* mainWindow)
{
    TWindowVerifyInteraction ui(mainWindow);
    if (!StartVerification(job, ui))
        ShowPlainMessage(
            Translate(QStringLiteral(
                "Unable to complete the action at the moment. Please try again in several seconds.")),
            mainWindow);
}
