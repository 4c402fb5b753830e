#pragma once

#include <QString>

namespace orvix {

// The key of reports and update requests.
inline constexpr int ReportScrambleKey = 583219;

// The text's UTF-8 bytes scrambled with a running key, as two upper-case hex digits per byte.
QString ReportScramble(const QString &text, int key = ReportScrambleKey);
// The same over the text's 8-bit bytes (one per character), as the update request sends it.
QString ReportScramble8Bit(const QString &text, int key = ReportScrambleKey);
// The reverse of ReportScramble for the bytes; the service (and tests) read reports with it.
QByteArray ReportUnscramble(const QString &hex, int key = ReportScrambleKey);

} // namespace orvix
