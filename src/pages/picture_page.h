#pragma once

#include "image_data.h"

#include <QString>
#include <QStringView>

namespace orvix {

class IParseReports;

// Fills the id, secret, title, ImageIdX, AllSizesAvailable and PageVersion of the record from
// picture-page text. PageUrl (and ImageIdX when a part is missing) keep what the record held.
// reportUrl names the page in the alert about a malformed preview link.
void ParsePicturePage(QStringView text, TImageData &record, IParseReports &reports,
                      const QString &reportUrl);

// Titles arrive either as page bytes widened one per character or as text the HTTP client has
// already decoded. Only the first form is narrowed back and decoded from UTF-8: every code unit
// below 256, at least one above 127, and the bytes valid UTF-8. Anything else is returned as is.
QString DecodeWidenedUtf8(const QString &text);

// The zoom page of a picture, used to reopen the page of a saved picture.
QString ZoomPageUrl(const QString &imageId);

// The zoom page for a saved picture's file name ("123_abc_b.jpg", "123_abc tag.jpg"), or empty
// text when the name does not start with an id and a secret.
QString ZoomPageUrlForFileName(const QString &fileName);

} // namespace orvix
