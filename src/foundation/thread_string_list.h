#pragma once

// A list of text lines shared between threads, guarded by its own reentrant lock. The queues,
// the message log and the other lists that workers share with the main thread are of this kind.
//
// Every operation is atomic. A sequence of operations (delete item 0 only when the list is not
// empty, find a line and delete it) takes the lock with LockList (or a Locker), runs through
// the list's own operations, which lock again re-entrantly, and then unlocks.

#include <mutex>
#include <QString>
#include <QStringList>
#include <atomic>

class QIODevice;

namespace orvix {

class TThreadStringList
{
public:
    TThreadStringList();
    // Sets _destoyed first: a thread that still holds the lock while the owner shuts down then
    // sees an empty list instead of touching a freed one.
    ~TThreadStringList();
    TThreadStringList(const TThreadStringList &) = delete;
    TThreadStringList &operator=(const TThreadStringList &) = delete;

    // Takes the lock and returns the inner list; every LockList needs its UnlockList.
    QStringList &LockList();
    void UnlockList();

    class Locker
    {
    public:
        explicit Locker(TThreadStringList &list) : m_list(list), m_inner(list.LockList()) {}
        ~Locker() { m_list.UnlockList(); }
        QStringList &list() { return m_inner; }
        Locker(const Locker &) = delete;
        Locker &operator=(const Locker &) = delete;

    private:
        TThreadStringList &m_list;
        QStringList &m_inner;
    };

    int Add(const QString &s);
    void AddStrings(const QStringList &strings);
    void Insert(int index, const QString &s);
    void Delete(int index);
    void DeleteFirstExact(const QString &line); // case-sensitive, whole line
    void Clear();
    void Exchange(int index1, int index2);
    void Sort();                                   // with CompareTextNoCase
    bool Find(const QString &s, int &index) const; // binary search of a sorted list
    int IndexOf(const QString &s) const;           // case ignored, as the sorting does
    int IndexOfName(const QString &name) const;    // case ignored

    int Count() const;
    QString Strings(int index) const;
    void SetStrings(int index, const QString &s);
    QString Names(int index) const;
    QString Values(const QString &name) const;
    void SetValues(const QString &name, const QString &value); // empty value removes the line

    // Every line followed by CR LF.
    QString Text() const;
    QString GetText() const { return Text(); }
    void SetText(const QString &text);
    QString CommaText() const;
    void SetCommaText(const QString &text);
    QChar Delimiter() const;
    void SetDelimiter(QChar delimiter);
    QString DelimitedText() const;
    void SetDelimitedText(const QString &text);
    int Capacity() const;
    void SetCapacity(int capacity);

    // Whole-file operations run under the lock. Files are written as UTF-8 with the mark,
    // through a temporary file renamed over the target. Failures raise EFileError.
    void LoadFromFile(const QString &fileName);
    void LoadFromStream(QIODevice &stream);
    void SaveToFile(const QString &fileName) const;
    void SaveToStream(QIODevice &stream) const;

    bool isDestroying() const { return _destoyed.load(); }

private:
    bool destroying() const { return _destoyed.load(std::memory_order_acquire); }
    void checkIndex(int index) const;

    QStringList FStringList;
    // A standard mutex rather than QRecursiveMutex: its locking is visible to the thread sanitizer.
    mutable std::recursive_mutex FLock;
    std::atomic<bool> _destoyed{false};
    QChar m_delimiter = u',';
};

// Delimited text as the lists write and read it: items holding blanks, control characters,
// the quote or the delimiter are quoted with '"' (inner quotes doubled).
QString ListToDelimitedText(const QStringList &items, QChar delimiter);
QStringList DelimitedTextToList(QStringView text, QChar delimiter);

} // namespace orvix
