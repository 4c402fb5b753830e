#include "app/disk_space_report.h"

#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/thread_string_list.h"

namespace orvix {

void ReportNotEnoughDiskSpace(const QString &outputFolder, const QString &newestShown)
{
    QString newest = newestShown;
    {
        TThreadStringList::Locker pending(pendingLogMessages());
        if (!pending.list().isEmpty())
            newest = pending.list().constLast();
    }
    if (TextContains(newest, u"not enough"))
        return;
    LogMessage(QStringLiteral("There is not enough disk space on drive ") + DriveRoot(outputFolder));
}

} // namespace orvix
