#include "integer_list.h"

#include "errors.h"
#include "quick_sort.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace orvix {

namespace {

// Value tags of the persisted form.
constexpr char kNull = 0, kList = 1, kInt8 = 2, kInt16 = 3, kInt32 = 4;

EOrvix badData()
{
    return EOrvix(QStringLiteral("Invalid integer list data"));
}

char readByte(QIODevice &in)
{
    char c;
    if (!in.getChar(&c))
        throw badData();
    return c;
}

template<typename T>
T readLE(QIODevice &in)
{
    char buf[sizeof(T)];
    if (in.read(buf, sizeof(T)) != qint64(sizeof(T)))
        throw badData();
    return qFromLittleEndian<T>(buf);
}

} // namespace

void TIntegerListX::notify(qint32 item, ListNotification action)
{
    if (FOnChange)
        FOnChange(this, item, action);
}

void TIntegerListX::checkIndex(int index) const
{
    if (index < 0 || index >= m_items.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

int TIntegerListX::Add(qint32 value)
{
    m_items.append(value);
    notify(value, ListNotification::Added);
    return int(m_items.size()) - 1;
}

void TIntegerListX::Insert(int index, qint32 item)
{
    if (index < 0 || index > m_items.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    m_items.insert(index, item);
    notify(item, ListNotification::Added);
}

int TIntegerListX::IndexOf(qint32 item) const
{
    return int(m_items.indexOf(item));
}

int TIntegerListX::Remove(qint32 item)
{
    const int i = IndexOf(item);
    if (i >= 0)
        Delete(i);
    return i;
}

qint32 TIntegerListX::Extract(qint32 item)
{
    const int i = IndexOf(item);
    if (i < 0)
        return 0;
    m_items.removeAt(i);
    notify(item, ListNotification::Extracted);
    return item;
}

void TIntegerListX::Delete(int index)
{
    checkIndex(index);
    const qint32 item = m_items.takeAt(index);
    notify(item, ListNotification::Deleted);
}

void TIntegerListX::Clear()
{
    for (int i = Count() - 1; i >= 0; --i)
        Delete(i);
}

qint32 TIntegerListX::First() const { return Items(0); }
qint32 TIntegerListX::Last() const { return Items(Count() - 1); }

qint32 TIntegerListX::Items(int index) const
{
    checkIndex(index);
    return m_items[index];
}

void TIntegerListX::SetItems(int index, qint32 item)
{
    checkIndex(index);
    const qint32 old = m_items[index];
    if (old == item)
        return;
    m_items[index] = item;
    notify(old, ListNotification::Deleted);
    notify(item, ListNotification::Added);
}

void TIntegerListX::Sort(const std::function<int(qint32, qint32)> &compare)
{
    if (m_items.size() > 1)
        QuickSortMiddlePivot(m_items, 0, int(m_items.size()) - 1,
                             [&compare](qint32 a, qint32 b) { return compare(a, b) < 0; });
}

void TIntegerListX::ReadData(QIODevice &reader)
{
    FLoading = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{FLoading};
    Clear();
    if (readByte(reader) != kList)
        throw badData();
    for (;;) {
        switch (readByte(reader)) {
        case kNull:
            return;
        case kInt8:
            Add(qint8(readByte(reader)));
            break;
        case kInt16:
            Add(readLE<qint16>(reader));
            break;
        case kInt32:
            Add(readLE<qint32>(reader));
            break;
        default:
            throw badData();
        }
    }
}

void TIntegerListX::WriteData(QIODevice &writer) const
{
    QByteArray out(1, kList);
    for (qint32 v : m_items) {
        if (v >= -128 && v <= 127) {
            out += kInt8;
            out += char(qint8(v));
        } else if (v >= -32768 && v <= 32767) {
            char buf[2];
            qToLittleEndian<qint16>(qint16(v), buf);
            out += kInt16;
            out.append(buf, 2);
        } else {
            char buf[4];
            qToLittleEndian<qint32>(v, buf);
            out += kInt32;
            out.append(buf, 4);
        }
    }
    out += kNull;
    if (writer.write(out) != out.size())
        throw EFileError(QStringLiteral("Stream write error: ") + writer.errorString());
}

} // namespace orvix
