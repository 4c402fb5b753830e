#pragma once

// The queue view's vocabulary, shared by the queues, the workers, their hosts and every view of
// the rows: the status a row shows and the caption that names a line's row.

#include <QString>

namespace orvix {

enum class RowStatus { Waiting, Working, Done, Failed, Canceled, Requeued };

// The text the view shows: "" (waiting), "<working>", "done", "failed", "canceled", "requeued".
QString RowStatusText(RowStatus status);
// Done and requeued rows have finished; they make room for new rows and leave the view.
bool IsCompletedRow(RowStatus status);

// The caption of a page line's row: "Q2: " + its URL. A media line's row is its download URL.
QString PageRowCaption(const QString &url);
// The URL a row's caption names (the caption without "Q2: ").
QString RowCaptionUrl(const QString &caption);

} // namespace orvix
