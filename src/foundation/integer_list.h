#pragma once

// A list of 32-bit integers that tells its owner about every change, and can be persisted.

#include <QList>
#include <functional>

class QIODevice;

namespace orvix {

enum class ListNotification { Added, Extracted, Deleted };

class TIntegerListX
{
public:
    using ChangeEvent = std::function<void(TIntegerListX *sender, qint32 item, ListNotification action)>;

    // Called after every insertion, extraction and deletion.
    ChangeEvent FOnChange;

    int Add(qint32 value);
    void Insert(int index, qint32 item);
    int IndexOf(qint32 item) const;
    int Remove(qint32 item);   // index it had, or -1
    qint32 Extract(qint32 item); // the item, or 0 when absent
    void Delete(int index);
    void Clear();
    qint32 First() const;
    qint32 Last() const;
    qint32 Items(int index) const;
    void SetItems(int index, qint32 item);
    int Count() const { return int(m_items.size()); }
    // compare: negative, 0 or positive, as for sorting ascending.
    void Sort(const std::function<int(qint32, qint32)> &compare);

    // Persisted form: a list marker, each integer in its smallest form, an end marker.
    // ReadData clears the list first and raises EOrvix on malformed data.
    void ReadData(QIODevice &reader);
    void WriteData(QIODevice &writer) const;
    bool Loading() const { return FLoading; }

private:
    void notify(qint32 item, ListNotification action);
    void checkIndex(int index) const;

    QList<qint32> m_items;
    bool FLoading = false;
};

} // namespace orvix
