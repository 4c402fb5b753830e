#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace orvix {

class RunControl;

// Longest side, in pixels, of the largest size each choice takes ("Large", "Current").
inline constexpr int kLargeSizeMaxSide = 1024;
inline constexpr int kCurrentSizeMaxSide = 500;

// Which of the listed sizes (their "W x H", smallest first) the size letter takes: 'O' the
// largest; 'L' the largest whose longer side is at most 1024 pixels; 'M' (or anything else)
// the largest whose longer side is at most 500; when no size fits, the smallest. -1 for an
// empty list; a size without readable dimensions counts as larger than any.
int ChooseListedSize(const QStringList &sizeTexts, QChar sizeLetter);

// Address of the picture file of the chosen size listed on a picture's sizes page, found from
// the picture page's address (".../photos/owner/123/in/photostream" has its sizes at
// ".../photos/owner/123/sizes/"). The size letter ('M', 'L' or 'O') is what the user asked for
// (see ChooseListedSize). Every failure is one line in the message log and an empty result;
// nothing is raised. Empty as well when a queue is being canceled. May take many seconds: each
// page fetch retries with pauses.
QString ResolvePictureFileUrl(const RunControl &run, const QString &imageId, const QString &imageSecretId, QChar sizeLetter,
                              const QString &pageUrl);

} // namespace orvix
