#pragma once

#include "web_frame_entry.h"

#include <QString>
#include <QStringView>

namespace orvix {

class IParseReports;

// One extractor per layout of thumbnails page. Each reads the whole page text and returns the
// listed pictures in page order; none raises, a missing value is an empty field. Reports go to
// the given sink (a window shows them, the page worker logs them).

// The double-quoted value after marker in block (quotes in the marker are ignored). Empty, with a
// "p202"/"p203"/"p204" report, when the marker or its quotes are missing.
QString ExtractQuotedAttribute(QStringView marker, QStringView block, IParseReports &reports);

TWebFrameEntryList ParseSetThumbs(QStringView text, IParseReports &reports);          // pageMode 1
TWebFrameEntryList ParsePhotoParagraphs(QStringView text, IParseReports &reports);    // pageMode 2
TWebFrameEntryList ParsePoolPhotos(QStringView text, IParseReports &reports);         // pageMode 3
TWebFrameEntryList ParsePhotoContainerPool(QStringView text, IParseReports &reports); // pageMode 4
TWebFrameEntryList ParseListData(QStringView text);                                   // pageMode 5
TWebFrameEntryList ParsePhotoContainers(QStringView text);                            // pageMode 5
TWebFrameEntryList ParseSearchResults(QStringView text);                              // pageMode 8

// The extractor of a pageMode, with the photostream fallback: list data yielding at most one
// entry is replaced by the photo containers. Other modes give an empty list.
TWebFrameEntryList ExtractThumbnails(int pageMode, QStringView text, IParseReports &reports);

} // namespace orvix
