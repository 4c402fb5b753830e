#pragma once

// Which item file holds which line, for the files this process wrote. Finishing a line must
// find its file by a key (the whole page line, a URL of the line); without this every finished
// line would list the folder and read every file of the session. Each file is indexed under
// its whole line and the line's URL fields, so an answer is a file whose line has the key as a
// whole field, never one whose URL merely starts with the key.
//
// Not thread-safe: the owner holds its folder's lock.

#include <QHash>
#include <QString>
#include <QStringList>

namespace orvix {

class ItemFileIndex
{
public:
    // keys: the texts the file can be asked for by.
    void add(const QString &path, const QStringList &keys);
    void remove(const QString &path);
    void clear();
    // The files indexed under key, oldest first.
    QStringList filesFor(const QString &key) const;
    bool contains(const QString &path) const { return m_keysOfFile.contains(path); }
    qsizetype size() const { return m_keysOfFile.size(); }

private:
    QHash<QString, QStringList> m_filesOfKey;
    QHash<QString, QStringList> m_keysOfFile;
};

} // namespace orvix
