#include "machine_info.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <sys/utsname.h>

namespace orvix {

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// "key : value" of the first block of /proc/cpuinfo (or "KEY=value" of os-release).
QString valueOf(const QString &text, const QString &key, QChar separator)
{
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const int at = line.indexOf(separator);
        if (at > 0 && line.left(at).trimmed() == key) {
            QString v = line.mid(at + 1).trimmed();
            if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"'))
                v = v.mid(1, v.size() - 2);
            return v;
        }
    }
    return {};
}

qint64 memInfoBytes(const QString &meminfo, const QString &key)
{
    return valueOf(meminfo, key, u':').section(u' ', 0, 0).toLongLong() * 1024;
}

} // namespace

QString ReportSizeText(qint64 bytes)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral("b");
    const char *units[] = {"KB", "MB", "GB"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (unit < 2 && value >= 1024.0) {
        value /= 1024.0;
        ++unit;
    }
    return english.toString(value, 'f', 2) + QLatin1String(units[unit]);
}

QString osName(const utsname &u)
{
    const QString name = valueOf(readText(QStringLiteral("/etc/os-release")), QStringLiteral("PRETTY_NAME"), u'=');
    return name.isEmpty() ? QString::fromLocal8Bit(u.sysname) : name;
}

QString OperatingSystemLine()
{
    utsname u{};
    uname(&u);
    return osName(u) + u' ' + QString::fromLocal8Bit(u.release);
}

QString DisplayLine(int width, int height, int depth)
{
    return QStringLiteral("Display  : %1x%2 pixels, %3 bpp").arg(width).arg(height).arg(depth);
}

QString ProcessorLine(const QString &cpuinfo)
{
    const QString vendor = valueOf(cpuinfo, QStringLiteral("vendor_id"), u':');
    const QString model = valueOf(cpuinfo, QStringLiteral("model name"), u':');
    const int mhz = int(std::lround(valueOf(cpuinfo, QStringLiteral("cpu MHz"), u':').toDouble()));
    const QStringList flags = valueOf(cpuinfo, QStringLiteral("flags"), u':').split(u' ', Qt::SkipEmptyParts);
    QString line = QStringLiteral("Processor: %1, %2, %3 MHz").arg(vendor, model).arg(mhz);
    if (valueOf(cpuinfo, QStringLiteral("fdiv_bug"), u':') == QStringLiteral("yes"))
        line += QStringLiteral(" [FDIV Bug]");
    const std::pair<const char *, const char *> known[] = {
        {"mmxext", " MMXex"}, {"mmx", " MMX"}, {"sse", " SSE"}, {"sse2", " SSE2"}, {"pni", " SSE3"},
        {"ssse3", " SSSE3"}, {"sse4_1", " SSE41"}, {"sse4_2", " SSE42"}, {"sse4a", " SSE4A"}, {"sse5", " SSE5"},
        {"3dnowext", " 3DNow!ex"}, {"3dnow", " 3DNow!"}, {"lm", " 64 bits"}, {"nx", " DEP"}};
    for (const auto &[flag, text] : known)
        if (flags.contains(QLatin1String(flag)))
            line += QLatin1String(text);
    return line;
}

QStringList MachineInfoLines(const QString &displayLine)
{
    utsname u{};
    uname(&u);
    const QString release = QString::fromLocal8Bit(u.release);
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = numbers.match(release);
    const QString name = osName(u);
    QStringList lines;
    lines << QStringLiteral("System   : %1 %2, Version: %3.%4, Build: %5, \"%6\"")
                 .arg(name, QStringLiteral("Workstation"))
                 .arg(m.captured(1).toInt())
                 .arg(m.captured(2).toInt())
                 .arg(QString::number(m.captured(3).toInt(), 16), release);
    lines << ProcessorLine(readText(QStringLiteral("/proc/cpuinfo")));
    const QString meminfo = readText(QStringLiteral("/proc/meminfo"));
    lines << QStringLiteral("Memory: %1; free %2")
                 .arg(ReportSizeText(memInfoBytes(meminfo, QStringLiteral("MemTotal"))),
                      ReportSizeText(memInfoBytes(meminfo, QStringLiteral("MemAvailable"))));
    lines << displayLine;
    return lines;
}

} // namespace orvix
