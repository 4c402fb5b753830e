#include "text_list.h"

#include "errors.h"
#include "quick_sort.h"
#include "files.h"
#include "retry_timing.h"
#include "text_codec.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

namespace orvix {

namespace {

// The user's locale; without one (the C locale of a service or a test run) the neutral
// collation of the English locale, so that ordering still ignores case the same way and agrees
// with the collation keys the sorting uses.
QLocale collationLocale()
{
    const QLocale user;
    return user.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : user;
}

// QCollator initialises itself lazily and is not safe to share between threads.
QCollator &threadCollator()
{
    thread_local QCollator collator = [] {
        QCollator c{collationLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

int CompareTextNoCase(QStringView a, QStringView b)
{
    return sign(threadCollator().compare(a, b));
}

void SortListNoCase(QStringList &list)
{
    if (list.size() < 2)
        return;
    // Building the collation keys is most of the cost of a large sort; the cores share it,
    // each with a collator of its own.
    std::vector<std::optional<QCollatorSortKey>> slots(size_t(list.size()));
    const QStringList &items = list; // read-only here: no thread may detach it
    const auto buildKeys = [&items, &slots](qsizetype from, qsizetype to) {
        QCollator &collator = threadCollator();
        for (qsizetype i = from; i < to; ++i)
            slots[size_t(i)].emplace(collator.sortKey(items.at(i)));
    };
    const qsizetype workers = list.size() < 20000 ? 1 : std::clamp<qsizetype>(QThread::idealThreadCount(), 1, 8);
    std::vector<std::thread> helpers;
    const qsizetype chunk = (list.size() + workers - 1) / workers;
    for (qsizetype w = 1; w < workers; ++w)
        helpers.emplace_back(buildKeys, std::min(list.size(), w * chunk), std::min(list.size(), (w + 1) * chunk));
    buildKeys(0, std::min(list.size(), chunk));
    for (std::thread &t : helpers)
        t.join();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(slots.size());
    for (auto &k : slots)
        keys.push_back(std::move(*k));
    std::vector<int> idx(size_t(list.size()));
    for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = int(i);
    // Over precomputed collation keys, so a large list is not collated on every comparison.
    QuickSortMiddlePivot(idx, 0, int(idx.size()) - 1,
              [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    QStringList sorted;
    sorted.reserve(list.size());
    for (int i : idx)
        sorted.append(std::move(list[i]));
    list = std::move(sorted);
}

int SortedInsertPos(const QStringList &list, QStringView text)
{
    int lo = 0, hi = int(list.size());
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareTextNoCase(list[mid], text) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void SortedInsert(QStringList &list, const QString &text)
{
    list.insert(SortedInsertPos(list, text), text);
}

int FindSortedPrefix(const QStringList &list, QStringView key)
{
    const int pos = SortedInsertPos(list, key);
    if (pos < list.size() && QStringView(list[pos]).startsWith(key))
        return pos;
    return -1;
}

QString GetSortedPrefixLine(const QStringList &list, QStringView key)
{
    const int pos = FindSortedPrefix(list, key);
    return pos < 0 ? QString() : list[pos];
}

bool LoadListRetry(QStringList &list, const QString &fileName)
{
    if (!QFileInfo(fileName).isFile()) {
        list.clear();
        return true;
    }
    return RetryAttempts(GetRetryTiming().listPauseMs, [&] {
        list = SplitTextLines(DecodeTextBytes(ReadFileBytes(fileName)));
    });
}

void SaveListUtf8(const QStringList &list, const QString &fileName)
{
    qsizetype n = list.size();
    for (int dropped = 0; dropped < 2 && n > 0 && list[n - 1].isEmpty(); ++dropped)
        --n;
    WriteFileAtomic(fileName, EncodeLinesUtf8(list.mid(0, n)));
}

void SaveListUtf8Retry(const QStringList &list, const QString &fileName)
{
    QString lastError;
    const bool ok = RetryAttempts(GetRetryTiming().listPauseMs, [&] {
        try {
            SaveListUtf8(list, fileName);
        } catch (const std::exception &e) {
            lastError = exceptionMessage(e);
            throw;
        }
    });
    if (!ok)
        throw EFileError(lastError);
}

} // namespace orvix
