#pragma once

// The floating "Messages" panel: what the workers and the rest of the program tell the user,
// newest line first, each with the time it was shown.

#include "widgets/caption_panel.h"

class QPlainTextEdit;

namespace orvix {

class TLog;

class TMessagesPanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    static constexpr int kMaxLines = 10000;

    explicit TMessagesPanel(QWidget *parent);

    // Main thread: shows the text with the local time of display and writes it to log.
    void LogMessageInternal(const QString &s, TLog *log);
    // Closing the panel empties it.
    void Dismiss();

    QPlainTextEdit *edErrorLog() const { return m_edErrorLog; }
    QStringList lines() const;

private:
    QPlainTextEdit *m_edErrorLog;
};

} // namespace orvix
