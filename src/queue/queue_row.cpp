#include "queue/queue_row.h"

namespace orvix {

namespace {

constexpr char16_t kPageRowPrefix[] = u"Q2: ";

} // namespace

QString RowStatusText(RowStatus status)
{
    switch (status) {
    case RowStatus::Waiting:
        return {};
    case RowStatus::Working:
        return QStringLiteral("<working>");
    case RowStatus::Done:
        return QStringLiteral("done");
    case RowStatus::Failed:
        return QStringLiteral("failed");
    case RowStatus::Canceled:
        return QStringLiteral("canceled");
    case RowStatus::Requeued:
        return QStringLiteral("requeued");
    }
    return {};
}

bool IsCompletedRow(RowStatus status)
{
    return status == RowStatus::Done || status == RowStatus::Requeued;
}

QString PageRowCaption(const QString &url)
{
    return QString::fromUtf16(kPageRowPrefix) + url;
}

QString RowCaptionUrl(const QString &caption)
{
    const QString prefix = QString::fromUtf16(kPageRowPrefix);
    return caption.startsWith(prefix) ? caption.mid(prefix.size()) : caption;
}

} // namespace orvix
