#pragma once

#include <QString>

namespace orvix {

// Deletes file, and then its folder when that is empty, a little after this process has gone:
// three detached shells wait 1, 2 and 5 seconds each and try. Returns how many were started.
int ScheduleSelfDelete(const QString &file);

} // namespace orvix
