#pragma once

// Tags live in the picture file names, after the marker "[tags]":
// "12_ab Sunset [tags] sea lake_o.jpg".

#include <QString>
#include <QStringView>

namespace orvix {

class PictureDatabase;

// The tag text of a file name, untrimmed (it usually starts with a blank); empty without marker.
QString ExtractTags(QStringView fileName);

// The path the tag editor renames oldPath to: the marker and old tags removed, "[tags]" and the
// new tags (as given: the caller cleans them) put before the extension's ".".
QString PathWithNewTags(const QString &oldPath, const QString &cleanedTags);

// The editor's tag text made fit for a file name: unsafe characters replaced, "_" turned into
// blanks so the tags cannot be taken for a size suffix.
QString CleanTagsForFileName(const QString &tags);

// Caption of the thumbnail menu item: "Edit tags" when the file has tags, else "Add tags".
QString TagMenuCaption(const QString &fileName);

// Why the tag editor cannot open the file ("No file to edit", "Picture file <path> does not
// exist"); empty when it can.
QString TagEditProblem(const QString &fileName);

// Renames the file to carry the new tags. Returns the new path, or empty text when the rename
// failed (the file keeps its name).
QString RenameWithTags(const QString &oldPath, const QString &tags);

// RenameWithTags for a saved picture: the new path is listed among the saved files at once, so
// the picture keeps counting as downloaded and is not queued again before the next rescan.
QString RetagSavedPicture(PictureDatabase &db, const QString &oldPath, const QString &tags);

} // namespace orvix
