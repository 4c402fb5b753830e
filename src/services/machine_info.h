#pragma once

#include <QString>
#include <QStringList>

namespace orvix {

// This machine's facts for exception reports, read from the system: the "System", "Processor"
// and "Memory" lines, then displayLine (the window knows the screen).
QStringList MachineInfoLines(const QString &displayLine);
QString DisplayLine(int width, int height, int depth); // "Display  : 1400x900 pixels, 24 bpp"

// One line naming the operating system and its kernel, e.g. "Debian GNU/Linux 12 (bookworm) 6.1.0-13-amd64".
QString OperatingSystemLine();

// Bytes as reports write them: "512b", "1.50KB", "2,048.00MB", "1.00GB".
QString ReportSizeText(qint64 bytes);

// The processor line from the text of /proc/cpuinfo.
QString ProcessorLine(const QString &cpuinfo);

} // namespace orvix
