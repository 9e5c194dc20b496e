#include "ui/widgets/ChosenFileWriter.h"

#include "i18n/Translate.h"
#include "platform/AskingUser.h"
#include "ui/dialogs/MessageDialog.h"

#include <QSaveFile>

bool WriteChosenFile(QWidget* parent, const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit()) {
        GiveToAskingUser(path);
        return true;
    }
    ShowMessageDialog(Translate(QStringLiteral("Unable to save the file:")) + ' ' + path +
                          QStringLiteral("\n\n") + file.errorString(),
                      mtError, mbOK, 0, parent);
    return false;
}
