#pragma once

#include <QString>

namespace orvix {

// The report of a nearly full pictures folder: "There is not enough disk space on drive " + the
// volume's root goes to the message log, unless the newest message (still waiting, or else
// newestShown, the newest one the user has seen) already says "not enough", so a queue held for
// minutes does not repeat it every few seconds.
void ReportNotEnoughDiskSpace(const QString &outputFolder, const QString &newestShown);

} // namespace orvix
