#pragma once

#include <QString>

namespace orvix {

// One picture found on a picture page. Copied by value between the window, the page worker and
// the picture database.
struct TImageData
{
    QString ImageId;           // the picture's id on the photo site
    QString ImageSecretID;     // second part of the picture's file names on the image servers
    QString ImageName;         // the picture's title
    QString ImageIdX;          // ImageId + "_" + ImageSecretID; empty unless both are known
    bool AllSizesAvailable = false;
    QString PageUrl;           // the picture page's URL; set by the caller, never by the parser
    qint32 PageVersion = 0;    // layout generation; the parser sets 2
};

} // namespace orvix
