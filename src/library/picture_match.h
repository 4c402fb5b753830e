#pragma once

// The rules by which the picture library matches page addresses to records of "pd_images.db"
// and picture keys to saved file names. The lookups and their indexes both use these, so an
// index can never answer differently from a plain scan.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvix {

// The part of a picture page address that identifies the picture: everything from "in/set" on
// dropped, every "/in/photostream" removed, trimmed, one trailing "/" removed.
QString CutPageUrlForLookup(QStringView pageUrl);

// True when cut occurs in the record followed by "/", "|" or the end of the record. Plain
// containment would let the page of picture 1 match the record of picture 12.
bool RecordMatchesPageUrl(QStringView record, QStringView cut);

// True when the file name (the last component of path) starts with key, ignoring the case of
// ASCII letters, and the character after it is neither a letter nor a digit (or there is none).
// So "12" finds "12_ab x.jpg" but not "123_cd y.jpg".
bool FileNameMatchesKey(QStringView path, QStringView key);

// Last component of a path ("/" separated).
QStringView FileNameOf(QStringView path);

// Leading run of letters and digits of s, ASCII-lower-cased: the index key under which
// FileNameMatchesKey can only ever match.
QString LeadingAlnumRunLower(QStringView s);

// The pieces of a saved picture's file name: the name cut before its first "." and then before
// its first " ", split at "_". Pieces 0 and 1 are the picture id and secret.
QStringList FileNameKeyPieces(QStringView fileName);

// The text before the first "_" of the file name: the picture id.
QString ImageIdFromFileName(QStringView path);

} // namespace orvix
