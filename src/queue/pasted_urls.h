#pragma once

// A pasted list of picture-page addresses, as the paste panel and "orvix-cli paste" take it:
// one address per line, trimmed; a line that is not empty, holds "http://" and holds the photo
// site's name (as written in its host, case counting) is a picture page to queue. Anything else
// is passed over without a word.

#include <QString>
#include <QStringList>

namespace orvix {

struct PastedUrls
{
    QStringList accepted;  // in the order pasted
    QStringList malformed; // accepted but holding "|", which would break their queue line
};

PastedUrls TakePastedUrls(const QString &text);

// The page line of a pasted address: URL + "|id:1|" + size + "||" + target folder.
QString PastedPageLine(const QString &url, const QString &size, const QString &targetFolder);

} // namespace orvix
