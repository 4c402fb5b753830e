#pragma once

// "Locate in Orvix": from a saved picture's file back to the page it was downloaded from.

#include <QString>

namespace orvix {

class PictureDatabase;

struct PageForFile {
    enum class Action {
        None,           // not a picture file name: nothing to do
        Navigate,       // open url
        CorruptRecord,  // the record was found but is damaged ("Corrupt images database")
        TryZoomPage,    // no record: tell the user, then open the picture's zoom page
    };
    Action action = Action::None;
    QString url;
    QString message; // for CorruptRecord and TryZoomPage, the message to show
};

// The page recorded for the picture whose key begins the file name. For TryZoomPage, url is
// the zoom page of the picture id (empty when the site's zoom page cannot be formed).
PageForFile FindPageForSavedFile(const PictureDatabase &db, const QString &filePath);

} // namespace orvix
