#pragma once

// Helpers for ordinary (unshared) text lists: loading and saving them with retries, and keeping
// them sorted. The picture database keeps its lists sorted with these and looks lines up by key
// prefix, so sorting, inserting and searching must all use the one comparison below.
// The helpers take no lock: a list that several threads use is guarded by its owner.

#include <QString>
#include <QStringList>

namespace orvix {

// The user's locale collation with case ignored; -1, 0 or 1. Safe on any thread.
int CompareTextNoCase(QStringView a, QStringView b);

void SortListNoCase(QStringList &list);
// In a list sorted by CompareTextNoCase: the index just after the last item <= text.
int SortedInsertPos(const QStringList &list, QStringView text);
// Equal items keep their insertion order.
void SortedInsert(QStringList &list, const QString &text);
// SortedInsertPos(list, key) when the item there starts with key (case-sensitive), else -1.
int FindSortedPrefix(const QStringList &list, QStringView key);
QString GetSortedPrefixLine(const QStringList &list, QStringView key);

// Loads the file into the list (UTF-8/UTF-16 mark honoured), trying 11 times with the list
// pause between; a missing file clears the list. When every attempt failed the list is left
// as it was and the result is false: a caller must not save it back over the file then.
bool LoadListRetry(QStringList &list, const QString &fileName);

// Writes the lines as UTF-8 with the mark, CR LF after each; up to two empty items at the end
// are not written. The file is replaced atomically (temporary file renamed over it), its
// folder created when missing. Raises EFileError.
void SaveListUtf8(const QStringList &list, const QString &fileName);
// SaveListUtf8 with 11 attempts, the list pause between; raises the last error.
void SaveListUtf8Retry(const QStringList &list, const QString &fileName);

} // namespace orvix
