#include "faults.h"

#include <QRegularExpression>

namespace orvix::photosite {

namespace {

struct KindName
{
    FaultKind kind;
    const char *name;
};

const KindName kKinds[] = {
    {FaultKind::Delay, "delay"},       {FaultKind::Stall, "stall"},     {FaultKind::Reset, "reset"},
    {FaultKind::Short, "short"},       {FaultKind::NoLength, "nolength"}, {FaultKind::Gzip, "gzip"},
    {FaultKind::Zlib, "zlib"},         {FaultKind::BadGzip, "badgzip"}, {FaultKind::Error500, "500"},
    {FaultKind::Charset, "charset"},   {FaultKind::Garbage, "garbage"}, {FaultKind::Status, "status"},
    {FaultKind::Bomb, "bomb"},         {FaultKind::Huge, "huge"},       {FaultKind::Endless, "endless"},
    {FaultKind::Trickle, "trickle"},
};

QRegularExpression globRegex(const QString &glob)
{
    QString re;
    for (QChar c : glob) {
        if (c == QLatin1Char('*'))
            re += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            re += QLatin1Char('.');
        else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(re));
}

} // namespace

QString faultKindName(FaultKind kind)
{
    for (const KindName &k : kKinds)
        if (k.kind == kind)
            return QString::fromLatin1(k.name);
    return QString();
}

double FaultRule::seconds() const { return arg.toDouble(); }

qint64 parseByteCount(const QString &text)
{
    QString digits = text.trimmed();
    qint64 unit = 1;
    if (digits.endsWith(QLatin1Char('K'), Qt::CaseInsensitive))
        unit = qint64(1) << 10;
    else if (digits.endsWith(QLatin1Char('M'), Qt::CaseInsensitive))
        unit = qint64(1) << 20;
    else if (digits.endsWith(QLatin1Char('G'), Qt::CaseInsensitive))
        unit = qint64(1) << 30;
    if (unit > 1)
        digits.chop(1);
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok && n >= 0 ? n * unit : -1;
}

qint64 FaultRule::bytes(qint64 fallback) const
{
    const qint64 n = parseByteCount(arg);
    return n >= 0 ? n : fallback;
}

QString FaultRule::text(bool withCount) const
{
    QString s = pattern + QLatin1Char('=') + faultKindName(kind);
    if (!arg.isEmpty())
        s += QLatin1Char(':') + arg;
    if (withCount && times >= 0)
        s += QLatin1Char('x') + QString::number(times);
    return s;
}

void validateFault(const FaultRule &rule)
{
    const QString what = QStringLiteral("fault '") + rule.text() + QStringLiteral("': ");
    if (rule.pattern.isEmpty())
        throw PhotoSiteError(what + QStringLiteral("empty pattern"));
    if (rule.pattern.startsWith(QStringLiteral("re:"))
        && !QRegularExpression(rule.pattern.mid(3)).isValid())
        throw PhotoSiteError(what + QStringLiteral("invalid regular expression"));
    bool ok = true;
    switch (rule.kind) {
    case FaultKind::Delay:
    case FaultKind::Stall:
    case FaultKind::Trickle: {
        const double s = rule.arg.toDouble(&ok);
        if (!ok || s < 0 || s > 3600)
            throw PhotoSiteError(what + QStringLiteral("needs seconds, e.g. ") + faultKindName(rule.kind)
                                 + QStringLiteral(":2.5"));
        break;
    }
    case FaultKind::Reset:
    case FaultKind::Short:
    case FaultKind::Bomb:
        if (!rule.arg.isEmpty() && parseByteCount(rule.arg) < 0)
            throw PhotoSiteError(what + QStringLiteral("the argument is a byte count"));
        break;
    case FaultKind::Huge:
        if (parseByteCount(rule.arg) < 0)
            throw PhotoSiteError(what + QStringLiteral("needs a byte count, e.g. huge:5G"));
        break;
    case FaultKind::Charset:
        if (rule.arg != QStringLiteral("utf-8") && rule.arg != QStringLiteral("UTF-8")
            && rule.arg != QStringLiteral("none"))
            throw PhotoSiteError(what + QStringLiteral("charset is utf-8, UTF-8 or none"));
        break;
    case FaultKind::Status: {
        const int code = rule.arg.toInt(&ok);
        if (!ok || code < 100 || code > 599)
            throw PhotoSiteError(what + QStringLiteral("needs an HTTP status code"));
        break;
    }
    default:
        if (!rule.arg.isEmpty())
            throw PhotoSiteError(what + QStringLiteral("takes no argument"));
        break;
    }
}

FaultRule parseFaultRule(const QString &ruleText)
{
    // The pattern may hold "=" itself (a query); the kind never does.
    const int eq = ruleText.lastIndexOf(QLatin1Char('='));
    if (eq <= 0)
        throw PhotoSiteError(QStringLiteral("fault '") + ruleText + QStringLiteral("': expected PATTERN=KIND[:ARG][xN]"));
    FaultRule rule;
    rule.pattern = ruleText.left(eq);
    QString rest = ruleText.mid(eq + 1);
    static const QRegularExpression count(QStringLiteral("x(\\d+)$"));
    const QRegularExpressionMatch m = count.match(rest);
    if (m.hasMatch()) {
        rule.times = m.captured(1).toInt();
        rest.chop(m.capturedLength(0));
    }
    const int colon = rest.indexOf(QLatin1Char(':'));
    const QString kind = colon < 0 ? rest : rest.left(colon);
    rule.arg = colon < 0 ? QString() : rest.mid(colon + 1);
    bool known = false;
    for (const KindName &k : kKinds) {
        if (kind == QLatin1String(k.name)) {
            rule.kind = k.kind;
            known = true;
        }
    }
    if (!known)
        throw PhotoSiteError(QStringLiteral("fault '") + ruleText + QStringLiteral("': unknown kind '") + kind
                             + QLatin1Char('\''));
    validateFault(rule);
    return rule;
}

bool faultMatches(const QString &pattern, const QString &path, const QString &target)
{
    if (pattern.startsWith(QStringLiteral("re:")))
        return QRegularExpression(pattern.mid(3)).match(target).hasMatch();
    const QRegularExpression re = globRegex(pattern);
    return re.match(path).hasMatch() || re.match(target).hasMatch();
}

void FaultTable::add(const FaultRule &rule)
{
    validateFault(rule);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules << rule;
}

void FaultTable::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.clear();
}

QList<FaultRule> FaultTable::rules() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rules;
}

std::optional<FaultRule> FaultTable::take(const QString &path, const QString &target)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (FaultRule &rule : m_rules) {
        if (rule.times == 0 || !faultMatches(rule.pattern, path, target))
            continue;
        if (rule.times > 0)
            --rule.times;
        ++rule.hits;
        return rule;
    }
    return std::nullopt;
}

} // namespace orvix::photosite
