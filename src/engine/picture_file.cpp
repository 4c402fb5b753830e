#include "engine/picture_file.h"

#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace orvix {

namespace {

// Cuts text to at most n characters without leaving half of a surrogate pair at the end.
QString leftWhole(const QString &text, qsizetype n)
{
    n = qMax<qsizetype>(n, 1);
    if (n >= text.size())
        return text;
    if (text[n - 1].isHighSurrogate() && n > 1)
        --n;
    return text.left(n);
}

void chopOneCharacter(QString &text)
{
    const qsizetype n = text.size();
    text.chop(n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate() ? 2 : 1);
}

} // namespace

QString PictureExtension(const QString &url)
{
    if (TextContains(url, u"jpg"))
        return QStringLiteral(".jpg");
    if (TextContains(url, u"png"))
        return QStringLiteral(".png");
    return QStringLiteral(".jpg");
}

QString PictureFileStem(const QString &fileBase)
{
    return TextReplaceAll(SafeFileName(fileBase), u"__", u"_");
}

QString PictureFolder(const QString &targetFolder)
{
    return IncludeTrailingBackslash(SafePath(targetFolder));
}

PictureNamer::PictureNamer(const QString &folder, const QString &stem, const QString &extension)
    : m_folder(IncludeTrailingBackslash(folder)), m_stem(stem), m_extension(extension)
{
    m_trimmed = untrimmedName().size() > kMaxFullNameLength;
}

QString PictureNamer::candidate(int counter) const
{
    const QString number = counter > 0 ? QStringLiteral("_%1").arg(counter, 5, 10, QLatin1Char('0')) : QString();
    QString stem = m_stem;
    QString tail;
    if (m_folder.size() + stem.size() + number.size() + m_extension.size() > kMaxFullNameLength) {
        // A size suffix such as "_o" stays in front of the extension.
        if (stem.size() >= 2 && stem[stem.size() - 2] == u'_') {
            tail = stem.right(2);
            stem.chop(2);
        }
        stem = leftWhole(stem, kMaxFullNameLength - m_folder.size() - number.size() - tail.size()
                                   - m_extension.size());
    }
    const QString ending = number + tail + m_extension;
    const qsizetype endingBytes = ending.toUtf8().size();
    while (stem.size() > 1 && stem.toUtf8().size() + endingBytes > kMaxNameBytes)
        chopOneCharacter(stem);
    return m_folder + stem + ending;
}

QString SaveNewPictureFile(const PictureNamer &namer, const QString &folder, const QByteArray &bytes)
{
    DurableFile temp(folder);
    temp.write(bytes);
    for (int counter = 0;; ++counter) {
        const QString target = namer.candidate(counter);
        // Never over another picture, even one saved by another run a moment ago.
        if (!QFileInfo::exists(target) && temp.placeNew(target))
            return target;
    }
}

bool PictureFileInFolder(const QString &folder, const QString &key)
{
    if (key.isEmpty())
        return false;
    const bool plainKey = !key.contains(u'*') && !key.contains(u'?') && !key.contains(u'[');
    const QStringList names = QDir(folder).entryList(plainKey ? QStringList{key + u'*'} : QStringList(),
                                                     QDir::Files);
    for (const QString &name : names) {
        if (name.size() > key.size() && name.startsWith(key)
            && (name[key.size()] == u' ' || name[key.size()] == u'.'))
            return true;
    }
    return false;
}

} // namespace orvix
