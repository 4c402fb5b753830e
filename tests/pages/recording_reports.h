#pragma once

#include "pages/parse_reports.h"

#include <QStringList>

namespace orvix::test {

// Keeps every report so a test can check what the user would have been told.
class RecordingReports : public IParseReports
{
public:
    void alert(const QString &text) override { alerts.append(text); }
    void infoBox(const QString &text) override { boxes.append(text); }
    void message(const QString &text) override { messages.append(text); }

    QStringList alerts;
    QStringList boxes;
    QStringList messages;
};

} // namespace orvix::test
