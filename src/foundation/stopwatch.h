#pragma once

// One process-wide stopwatch for the debug timings ("imagesDB_sl.LoadFromFile: 12 ms").

#include <QString>

namespace orvix {

// Remembers now and clears the total.
void StopwatchStart();
// Adds the milliseconds since the remembered time to the total and returns the total.
qint64 StopwatchElapsed();
// StopwatchElapsed as shown in messages: the number + " ms".
QString StopwatchElapsedText();

} // namespace orvix
