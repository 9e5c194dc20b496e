#include "platform/SmbContext.h"

#include <libsmbclient.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

void copyField(char* target, int length, const QByteArray& value)
{
    if (length <= 0)
        return;
    const int n = std::min<int>(length - 1, int(value.size()));
    std::memcpy(target, value.constData(), size_t(n));
    target[n] = 0;
}

} // namespace

std::recursive_mutex& SmbLibraryMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

std::shared_ptr<TSmbContext> TSmbContext::create(const QString& user, const QString& password, int& error,
                                                 int timeoutMs)
{
    std::shared_ptr<TSmbContext> result(new TSmbContext);
    result->ownUser = user;
    result->ownPassword = password;
    const QString trimmedUser = user.trimmed();
    if (!trimmedUser.isEmpty()) {
        result->explicitUser = true;
        QString name = user;
        const qsizetype separator = name.indexOf('\\');
        if (separator > 0) {
            result->workgroupName = name.left(separator).toUtf8();
            name = name.mid(separator + 1);
        }
        result->userName = name.toUtf8();
        result->passwordText = password.toUtf8();
    }

    const std::lock_guard lock(SmbLibraryMutex());
    SMBCCTX* context = smbc_new_context();
    if (!context) {
        error = errno ? errno : ENOMEM;
        return nullptr;
    }
    smbc_setDebug(context, 0);
    smbc_setTimeout(context, timeoutMs);
    smbc_setOptionUserData(context, result.get());
    smbc_setFunctionAuthDataWithContext(context, &TSmbContext::authenticate);
    // With a named user a refused logon must fail, not silently become a guest session.
    smbc_setOptionNoAutoAnonymousLogin(context, result->explicitUser);
    smbc_setOptionUseKerberos(context, !result->explicitUser);
    smbc_setOptionFallbackAfterKerberos(context, true);
    if (!smbc_init_context(context)) {
        error = errno ? errno : EIO;
        smbc_free_context(context, 1);
        return nullptr;
    }
    result->context = context;
    error = 0;
    return result;
}

void TSmbContext::fileClosed()
{
    // Counted under the lock, so that a waiter cannot miss the last close between its check and its wait.
    const std::lock_guard lock(openFilesMutex);
    --openFileCount;
    fileClosedSignal.notify_all();
}

bool TSmbContext::waitUntilNoOpenFiles(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(openFilesMutex);
    return fileClosedSignal.wait_for(lock, timeout, [this] { return openFileCount.load() == 0; });
}

TSmbContext::~TSmbContext()
{
    if (!context)
        return;
    const std::lock_guard lock(SmbLibraryMutex());
    smbc_free_context(context, 1);
}

void TSmbContext::authenticate(SMBCCTX* context, const char*, const char*, char* workgroup,
                               int workgroupLength, char* user, int userLength, char* password,
                               int passwordLength)
{
    const auto* self = static_cast<const TSmbContext*>(smbc_getOptionUserData(context));
    if (!self || !self->explicitUser) {
        // Keep the defaults libsmbclient filled in (the current user), without a password.
        if (passwordLength > 0)
            password[0] = 0;
        return;
    }
    if (!self->workgroupName.isEmpty())
        copyField(workgroup, workgroupLength, self->workgroupName);
    copyField(user, userLength, self->userName);
    copyField(password, passwordLength, self->passwordText);
}
