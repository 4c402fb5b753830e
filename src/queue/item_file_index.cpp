#include "queue/item_file_index.h"

namespace orvix {

void ItemFileIndex::add(const QString &path, const QStringList &keys)
{
    QStringList &own = m_keysOfFile[path];
    for (const QString &key : keys) {
        if (key.isEmpty() || own.contains(key))
            continue;
        own.append(key);
        m_filesOfKey[key].append(path);
    }
}

void ItemFileIndex::remove(const QString &path)
{
    const auto it = m_keysOfFile.constFind(path);
    if (it == m_keysOfFile.cend())
        return;
    for (const QString &key : *it) {
        auto files = m_filesOfKey.find(key);
        files->removeOne(path);
        if (files->isEmpty())
            m_filesOfKey.erase(files);
    }
    m_keysOfFile.erase(it);
}

void ItemFileIndex::clear()
{
    m_filesOfKey.clear();
    m_keysOfFile.clear();
}

QStringList ItemFileIndex::filesFor(const QString &key) const
{
    return m_filesOfKey.value(key);
}

} // namespace orvix
