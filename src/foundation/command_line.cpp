#include "command_line.h"

#include <QCoreApplication>
#include <mutex>
#include <optional>

namespace orvix {

namespace {

std::mutex g_argsMutex;
std::optional<QStringList> g_args;

QString withSlash(const QString &s)
{
    return s.startsWith(u'/') ? s : u'/' + s;
}

QString withoutSlash(const QString &s)
{
    return s.startsWith(u'/') ? s.mid(1) : s;
}

} // namespace

void SetCommandLineArgs(const QStringList &args)
{
    std::lock_guard<std::mutex> lock(g_argsMutex);
    g_args = args;
}

QStringList CommandLineArgs()
{
    {
        std::lock_guard<std::mutex> lock(g_argsMutex);
        if (g_args)
            return *g_args;
    }
    return QCoreApplication::instance() ? QCoreApplication::arguments().mid(1) : QStringList();
}

int SwitchIndex(const QString &name)
{
    if (name.isEmpty())
        return -1;
    const QStringList args = CommandLineArgs();
    const qsizetype exact = args.indexOf(name);
    if (exact >= 0)
        return int(exact) + 1;
    const QString slashed = withSlash(name);
    for (int i = 0; i < args.size(); ++i)
        if (withSlash(args[i]) == slashed)
            return i + 1;
    return -1;
}

bool HasSwitch(const QString &name)
{
    return SwitchIndex(name) != -1;
}

QString GetSwitchValue(const QString &name)
{
    const QString key = withoutSlash(name);
    if (key.isEmpty())
        return QString();
    for (const QString &raw : CommandLineArgs()) {
        QString arg = withoutSlash(raw);
        const qsizetype colon = arg.indexOf(u':');
        const qsizetype eq = arg.indexOf(u'=');
        if (colon >= 0 && (eq < 0 || colon < eq))
            arg[colon] = u'=';
        if (arg.startsWith(key) && arg.size() > key.size() && arg[key.size()] == u'=')
            return arg.mid(key.size() + 1);
    }
    return QString();
}

} // namespace orvix
