#include "thread_string_list.h"

#include "errors.h"
#include "files.h"
#include "text_codec.h"
#include "text_list.h"

#include <QIODevice>
#include <QMutexLocker>

namespace orvix {

using Lock = QMutexLocker<QRecursiveMutex>;

TThreadStringList::TThreadStringList() = default;

TThreadStringList::~TThreadStringList()
{
    _destoyed.store(true, std::memory_order_release);
    Lock lock(&FLock);
    FStringList.clear();
}

QStringList &TThreadStringList::LockList()
{
    FLock.lock();
    return FStringList;
}

void TThreadStringList::UnlockList()
{
    FLock.unlock();
}

void TThreadStringList::checkIndex(int index) const
{
    if (index < 0 || index >= FStringList.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

int TThreadStringList::Add(const QString &s)
{
    Lock lock(&FLock);
    FStringList.append(s);
    return int(FStringList.size()) - 1;
}

void TThreadStringList::AddStrings(const QStringList &strings)
{
    Lock lock(&FLock);
    if (destroying())
        return;
    FStringList.append(strings);
}

void TThreadStringList::Insert(int index, const QString &s)
{
    Lock lock(&FLock);
    if (destroying())
        return;
    if (index < 0 || index > FStringList.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    FStringList.insert(index, s);
}

void TThreadStringList::Delete(int index)
{
    Lock lock(&FLock);
    if (destroying())
        return;
    checkIndex(index);
    FStringList.removeAt(index);
}

void TThreadStringList::DeleteFirstExact(const QString &line)
{
    Lock lock(&FLock);
    if (destroying())
        return;
    const qsizetype i = FStringList.indexOf(line);
    if (i >= 0)
        FStringList.removeAt(i);
}

void TThreadStringList::Clear()
{
    Lock lock(&FLock);
    if (destroying())
        return;
    FStringList.clear();
}

void TThreadStringList::Exchange(int index1, int index2)
{
    Lock lock(&FLock);
    checkIndex(index1);
    checkIndex(index2);
    FStringList.swapItemsAt(index1, index2);
}

void TThreadStringList::Sort()
{
    Lock lock(&FLock);
    SortListNoCase(FStringList);
}

bool TThreadStringList::Find(const QString &s, int &index) const
{
    Lock lock(&FLock);
    int lo = 0, hi = int(FStringList.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareTextNoCase(FStringList[mid], s);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            // The first of equal items, as a caller inserting before it expects.
            int first = mid;
            while (first > 0 && CompareTextNoCase(FStringList[first - 1], s) == 0)
                --first;
            index = first;
            return true;
        }
    }
    index = lo;
    return false;
}

int TThreadStringList::IndexOf(const QString &s) const
{
    Lock lock(&FLock);
    for (int i = 0; i < FStringList.size(); ++i)
        if (CompareTextNoCase(FStringList[i], s) == 0)
            return i;
    return -1;
}

namespace {

QStringView nameOf(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QStringView() : QStringView(line).left(eq);
}

} // namespace

int TThreadStringList::IndexOfName(const QString &name) const
{
    Lock lock(&FLock);
    for (int i = 0; i < FStringList.size(); ++i) {
        const QString &line = FStringList[i];
        if (line.contains(u'=') && CompareTextNoCase(nameOf(line), name) == 0)
            return i;
    }
    return -1;
}

int TThreadStringList::Count() const
{
    Lock lock(&FLock);
    return destroying() ? 0 : int(FStringList.size());
}

QString TThreadStringList::Strings(int index) const
{
    Lock lock(&FLock);
    checkIndex(index);
    return FStringList[index];
}

void TThreadStringList::SetStrings(int index, const QString &s)
{
    Lock lock(&FLock);
    checkIndex(index);
    FStringList[index] = s;
}

QString TThreadStringList::Names(int index) const
{
    Lock lock(&FLock);
    checkIndex(index);
    return nameOf(FStringList[index]).toString();
}

QString TThreadStringList::Values(const QString &name) const
{
    Lock lock(&FLock);
    const int i = IndexOfName(name);
    if (i < 0)
        return QString();
    const QString &line = FStringList[i];
    return line.mid(line.indexOf(u'=') + 1);
}

void TThreadStringList::SetValues(const QString &name, const QString &value)
{
    Lock lock(&FLock);
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    const QString line = name + u'=' + value;
    if (i < 0)
        Add(line);
    else
        FStringList[i] = line;
}

QString TThreadStringList::Text() const
{
    Lock lock(&FLock);
    return JoinTextLines(FStringList);
}

void TThreadStringList::SetText(const QString &text)
{
    Lock lock(&FLock);
    FStringList = SplitTextLines(text);
}

QString TThreadStringList::CommaText() const
{
    Lock lock(&FLock);
    return ListToDelimitedText(FStringList, u',');
}

void TThreadStringList::SetCommaText(const QString &text)
{
    Lock lock(&FLock);
    FStringList = DelimitedTextToList(text, u',');
}

QChar TThreadStringList::Delimiter() const
{
    Lock lock(&FLock);
    return m_delimiter;
}

void TThreadStringList::SetDelimiter(QChar delimiter)
{
    Lock lock(&FLock);
    m_delimiter = delimiter;
}

QString TThreadStringList::DelimitedText() const
{
    Lock lock(&FLock);
    return ListToDelimitedText(FStringList, m_delimiter);
}

void TThreadStringList::SetDelimitedText(const QString &text)
{
    Lock lock(&FLock);
    FStringList = DelimitedTextToList(text, m_delimiter);
}

int TThreadStringList::Capacity() const
{
    Lock lock(&FLock);
    return int(FStringList.capacity());
}

void TThreadStringList::SetCapacity(int capacity)
{
    Lock lock(&FLock);
    FStringList.reserve(capacity);
}

void TThreadStringList::LoadFromFile(const QString &fileName)
{
    Lock lock(&FLock);
    FStringList = SplitTextLines(DecodeTextBytes(ReadFileBytes(fileName)));
}

void TThreadStringList::LoadFromStream(QIODevice &stream)
{
    Lock lock(&FLock);
    const QByteArray bytes = stream.readAll();
    FStringList = SplitTextLines(DecodeTextBytes(bytes));
}

void TThreadStringList::SaveToFile(const QString &fileName) const
{
    Lock lock(&FLock);
    WriteFileAtomic(fileName, EncodeLinesUtf8(FStringList));
}

void TThreadStringList::SaveToStream(QIODevice &stream) const
{
    Lock lock(&FLock);
    const QByteArray bytes = EncodeLinesUtf8(FStringList);
    if (stream.write(bytes) != bytes.size())
        throw EFileError(QStringLiteral("Stream write error: ") + stream.errorString());
}

QString ListToDelimitedText(const QStringList &items, QChar delimiter)
{
    if (items.size() == 1 && items[0].isEmpty())
        return QStringLiteral("\"\"");
    QString r;
    for (int i = 0; i < items.size(); ++i) {
        const QString &item = items[i];
        bool quote = false;
        for (QChar c : item)
            if (c.unicode() <= u' ' || c == u'"' || c == delimiter) {
                quote = true;
                break;
            }
        if (i > 0)
            r += delimiter;
        if (quote) {
            QString doubled = item;
            doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            r += u'"' + doubled + u'"';
        } else {
            r += item;
        }
    }
    return r;
}

QStringList DelimitedTextToList(QStringView text, QChar delimiter)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype p = 0;
    auto skipBlanks = [&] {
        while (p < n && text[p].unicode() >= 1 && text[p].unicode() <= u' ')
            ++p;
    };
    skipBlanks();
    // Outside quotes a NUL character ends the text, as it ends a C string.
    while (p < n && !text[p].isNull()) {
        QString item;
        if (text[p] == u'"') {
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        item += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > u' ' && text[p] != delimiter)
                ++p;
            item = text.mid(start, p - start).toString();
        }
        items.append(item);
        skipBlanks();
        if (p < n && text[p] == delimiter) {
            if (p + 1 == n)
                items.append(QString());
            ++p;
            skipBlanks();
        }
    }
    return items;
}

} // namespace orvix
