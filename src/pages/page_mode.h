#pragma once

#include <QStringView>

namespace orvix {

// Kind of a page of the photo site, as read from its text. 0, 6 and 7 are never produced.
enum : int {
    pmNotThumbnails = -1,     // a picture page, or a page that is not recognised
    pmSetThumbs = 1,
    pmPhotoParagraphs = 2,
    pmPoolHoldPhotos = 3,
    pmPhotoContainerPool = 4, // one photo container
    pmPhotoContainers = 5,    // several photo containers (photostream-like)
    pmSearchResults = 8,      // only ever seen in the browser's legacy serialisation
};

// Classifies page text by its literal markers; text without any marker is pmNotThumbnails.
int GetPageMode(QStringView text);

} // namespace orvix
