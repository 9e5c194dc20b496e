#include "operations/JobCreation.h"

#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "storage/DestinationIdentity.h"

TJob& AddCreatedJob(TJobCatalogue& catalogue, std::unique_ptr<TJob> job, const QString& typedName)
{
    TJob& created = *job;
    ForgetDestinationIdentity(created.stJobName);
    catalogue.append(std::move(job));
    created.SaveLocalJobFile(LocalJobFilePath(created.stJobName));
    catalogue.SaveJobsList();
    AddEvent(FillPlaceholders(Translate(QStringLiteral("Created new job: \"%s\".")), {typedName}));
    return created;
}
