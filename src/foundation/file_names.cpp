#include "file_names.h"

#include "text.h"
#include "time_stamps.h"

#include <QFileInfo>

namespace orvix {

namespace {

bool allowedInFileName(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 128)
        return true;
    if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
        return true;
    return QStringView(u" '+,-.[]^_~").contains(c);
}

QString collapseUnderscores(const QString &s)
{
    return TextReplaceAll(TextReplaceAll(s, u"__", u"_"), u"__", u"_");
}

QString replaceDisallowed(const QString &s, bool keepSlash)
{
    QString r = s;
    for (QChar &c : r)
        if (!allowedInFileName(c) && !(keepSlash && c == u'/'))
            c = u'_';
    return collapseUnderscores(r);
}

// Position of the extension's dot within the file name part, or -1.
qsizetype extensionDot(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > path.lastIndexOf(u'/') ? dot : -1;
}

} // namespace

QString SafeFileName(const QString &s)
{
    return replaceDisallowed(s, false);
}

QString SafePath(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u'.')
        --n;
    return replaceDisallowed(s.left(n), true);
}

QString WithoutTrailingDots(const QString &folder)
{
    // A last part made of dots only is "." or "..", a real place here: left as it is.
    const QString last = folder.section(u'/', -1);
    if (last == QLatin1String(".") || last == QLatin1String(".."))
        return folder;
    QString out = folder;
    while (out.endsWith(u'.'))
        out.chop(1);
    return out;
}

QString DownloadTargetFolder(const QString &picturesFolder, const QString &subfolder)
{
    QString safe = SafeFileName(subfolder);
    while (safe.endsWith(u'.'))
        safe.chop(1);
    QString folder = picturesFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + safe;
}

QString UniqueFileName(const QString &path)
{
    if (!QFileInfo::exists(path))
        return path;
    const qsizetype dot = extensionDot(path);
    const QString base = dot < 0 ? path : path.left(dot);
    const QString ext = dot < 0 ? QString() : path.mid(dot);
    for (int n = 1;; ++n) {
        const QString candidate = base + u'_' + QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0')) + ext;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

QString TimestampedFileName(const QString &path)
{
    const qsizetype dot = extensionDot(path);
    QString base = dot < 0 ? path : path.left(dot);
    if (!base.endsWith(u'_'))
        base += u'_';
    return base + FormatFileNameStamp(QDateTime::currentDateTime()) + (dot < 0 ? QString() : path.mid(dot));
}

} // namespace orvix
