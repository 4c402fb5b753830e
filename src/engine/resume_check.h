#pragma once

#include <QString>

namespace orvix {

class FoundSession;
class QueueItemFiles;

// Before an interrupted session is resumed: a media line whose picture is already saved in its
// target folder (the program ended after naming the file, before it could finish the line) is
// not downloaded a second time. Its leftover item file is deleted and a message says so.
// Returns how many lines were let go.
int ForgetSavedPictures(const FoundSession &found, QueueItemFiles &files);

// The picture key (id + "_" + secret) at the front of a media line's file base.
QString PictureKeyOfFileBase(const QString &fileBase);

} // namespace orvix
