#include "queue/item_file_names.h"

#include "foundation/folder_listing.h"

#include <utility>

namespace orvix {

namespace {

// The counter of name when it is one of the names of stem + extension, else -1.
int counterOf(const QString &name, const QString &stem, const QString &extension)
{
    if (!name.startsWith(stem) || !name.endsWith(extension))
        return -1;
    const QStringView middle = QStringView(name).mid(stem.size(), name.size() - stem.size() - extension.size());
    if (middle.isEmpty())
        return 0;
    if (middle.size() < 6 || middle[0] != u'_')
        return -1;
    bool ok = false;
    const int n = middle.mid(1).toInt(&ok);
    if (!ok || n <= 0 || ItemFileName(stem, extension, n) != name)
        return -1;
    return n;
}

} // namespace

QString ItemFileName(const QString &stem, const QString &extension, int counter)
{
    if (counter == 0)
        return stem + extension;
    return stem + u'_' + QStringLiteral("%1").arg(counter, 5, 10, QLatin1Char('0')) + extension;
}

ItemFileNames::ItemFileNames(QString folder) : m_folder(std::move(folder)) {}

ItemFileNames::Stem &ItemFileNames::stemFor(const QString &stem, const QString &extension)
{
    const QString key = stem + extension;
    auto it = m_stems.find(key);
    if (it != m_stems.end())
        return *it;
    Stem &s = m_stems[key];
    for (const QString &name : ListFiles(m_folder, stem + u'*' + extension)) {
        const int n = counterOf(name, stem, extension);
        if (n < 0)
            continue;
        take(s, n);
        m_names.insert(m_folder + name, Name{key, n});
    }
    return s;
}

void ItemFileNames::take(Stem &s, int counter)
{
    if (counter < s.high) {
        s.freeBelow.erase(counter);
        return;
    }
    for (int n = s.high; n < counter; ++n)
        s.freeBelow.insert(n);
    s.high = counter + 1;
}

ItemFileNames::Candidate ItemFileNames::candidate(const QString &stem, const QString &extension)
{
    const Stem &s = stemFor(stem, extension);
    const int n = s.freeBelow.empty() ? s.high : *s.freeBelow.begin();
    return Candidate{m_folder + ItemFileName(stem, extension, n), stem + extension, n};
}

void ItemFileNames::taken(const Candidate &c)
{
    take(m_stems[c.stemKey], c.counter);
    m_names.insert(c.path, Name{c.stemKey, c.counter});
}

void ItemFileNames::released(const QString &path)
{
    const auto it = m_names.constFind(path);
    if (it == m_names.cend())
        return;
    Stem &s = m_stems[it->stemKey];
    const int n = it->counter;
    m_names.erase(it);
    if (n >= s.high)
        return;
    s.freeBelow.insert(n);
    while (s.high > 0 && s.freeBelow.erase(s.high - 1) == 1)
        --s.high;
}

void ItemFileNames::reset()
{
    m_stems.clear();
    m_names.clear();
}

} // namespace orvix
