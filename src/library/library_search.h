#pragma once

// The library search: the saved pictures whose path holds a text. The window shows them as
// previews in the "All pictures" strip and orvix-cli prints them; both take them from here,
// so the two always agree.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace orvix {

class PictureDatabase;

// A search shows at most this many pictures (the strip refuses more).
inline constexpr qsizetype kLibrarySearchShown = 101;

// ".bmp", ".jpg", ".png" or ".ico", whatever the case: the files a preview can be made of.
bool IsPreviewPicture(QStringView path);

// In list order, the entries that contain term without regard to case, name an existing file
// and have a preview extension; at most limit of them (a negative limit: all). An empty term
// matches nothing; the term is used as typed, blanks included. keepGoing, when given, is asked
// every few thousand entries (a window handles its events there); false ends the collection.
QStringList CollectLibraryMatches(const QStringList &files, const QString &term,
                                  qsizetype limit = kLibrarySearchShown,
                                  const std::function<bool()> &keepGoing = {});
QStringList LibrarySearchFiles(const PictureDatabase &db, const QString &term,
                               qsizetype limit = kLibrarySearchShown,
                               const std::function<bool()> &keepGoing = {});

// The title part of a saved picture's file name: "12_ab Lake at dawn_b.jpg" gives
// "Lake at dawn" (key, size suffix and extension dropped); a name without "_" gives "".
QString ExtractTitleFromFileName(const QString &fileName);

} // namespace orvix
