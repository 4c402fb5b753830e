#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace orvix {

// One picture found on a thumbnails page.
struct TWebFrameEntry
{
    QString PhotoTargetUrl; // the picture's own page
    QString PhotoThumbUrl;  // its thumbnail image
    QString PhotoTitle;     // may be empty

    // The entry line: the three fields joined by "|", unescaped (a "|" in a title adds fields).
    QString Line() const;
    bool operator==(const TWebFrameEntry &) const = default;
};

// An entry read back from its line. URLs hold no "|", so everything after the second one is
// the title, bars included.
TWebFrameEntry EntryFromLine(const QString &line);

// The pictures of one thumbnails page in page order; duplicates are kept.
class TWebFrameEntryList
{
public:
    void Add(const QString &photoTargetUrl, const QString &photoThumbUrl, const QString &photoTitle);

    int Count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    TWebFrameEntry &operator[](int i) { return m_items.at(size_t(i)); }
    const TWebFrameEntry &operator[](int i) const { return m_items.at(size_t(i)); }
    void Delete(int i) { m_items.erase(m_items.begin() + i); }
    void Clear() { m_items.clear(); }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    // The entry lines, one per entry.
    QStringList Lines() const;
    // The entry lines, each followed by CR LF; empty text for an empty list. The web panel compares
    // these texts to decide whether a page shows the same pictures.
    QString Text() const;

private:
    std::vector<TWebFrameEntry> m_items;
};

} // namespace orvix
