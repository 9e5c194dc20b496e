#include "platform/ConfigurationFile.h"

#include "base/encryptor.h"
#include "platform/AskingUser.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool WriteScrambledFile(const QString& path, const QByteArray& plain, QString* error)
{
    const QByteArray scrambled = ScrambleConfiguration(plain);
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(scrambled) == scrambled.size() && file.commit();
    if (ok)
        GiveToAskingUser(path);
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

TScrambledReadStatus ReadScrambledFile(const QString& path, QByteArray& plain)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return QFileInfo::exists(path) ? TScrambledReadStatus::ReadError : TScrambledReadStatus::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return TScrambledReadStatus::ReadError;
    const QByteArray scrambled = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return TScrambledReadStatus::ReadError;
    plain = UnscrambleConfiguration(scrambled);
    return TScrambledReadStatus::Ok;
}
