#pragma once

// Fault injection: rules that make the site answer requests for matching addresses badly, the
// way real servers fail (slow, stalled, cut off, lying about lengths, compressed, broken).

#include "foundation/errors.h"

#include <QList>
#include <QString>
#include <mutex>
#include <optional>

namespace orvix::photosite {

class PhotoSiteError : public EOrvix
{
public:
    using EOrvix::EOrvix;
};

enum class FaultKind {
    Delay,    // wait ARG seconds, then answer normally
    Stall,    // send half the body, pause ARG seconds, send the rest
    Reset,    // reset the connection, after ARG body bytes (default: before answering)
    Short,    // declare the full length, send ARG bytes fewer (default: half the body), close
    NoLength, // no Content-Length; the body ends when the connection closes
    Gzip,     // gzip body starting 1F 8B 08 00 00 00 00 00
    Zlib,     // those 8 bytes followed by a zlib stream
    BadGzip,  // those 8 bytes followed by bytes that decode neither way
    Error500, // HTTP 500 with an HTML page
    Charset,  // Content-Type charset as ARG: "utf-8", "UTF-8" or "none"
    Garbage,  // 200 with broken markup and binary junk
    Status,   // HTTP status ARG with a short HTML page
    Bomb,     // a small gzip body (no Content-Encoding) that inflates to ARG bytes (default 1G)
    Huge,     // announces ARG bytes (e.g. 5G): the real body, then zeros
    Endless,  // no Content-Length: the real body, then zeros until the client hangs up
    Trickle,  // the real body one byte every ARG seconds
};

// A byte count with an optional binary suffix K, M or G ("5G"); -1 when it is none.
qint64 parseByteCount(const QString &text);

struct FaultRule
{
    QString pattern; // glob over the path or the path with query; "re:" starts a regular expression
    FaultKind kind = FaultKind::Delay;
    QString arg;
    int times = -1; // how many more requests it applies to; -1 without end
    int hits = 0;

    double seconds() const;            // ARG as seconds
    qint64 bytes(qint64 fallback) const; // ARG as a byte count (K, M, G suffixes allowed)
    QString text(bool withCount = true) const; // back to PATTERN=KIND[:ARG][xN]
};

QString faultKindName(FaultKind kind);
// PATTERN=KIND[:ARG][xN]; raises PhotoSiteError with the reason when the text is not one.
FaultRule parseFaultRule(const QString &ruleText);
// Checks kind-specific arguments; raises PhotoSiteError.
void validateFault(const FaultRule &rule);
bool faultMatches(const QString &pattern, const QString &path, const QString &target);

// The rules in force; the first matching rule with uses left applies to a request.
class FaultTable
{
public:
    void add(const FaultRule &rule);
    void clear();
    QList<FaultRule> rules() const;
    std::optional<FaultRule> take(const QString &path, const QString &target);

private:
    mutable std::mutex m_mutex;
    QList<FaultRule> m_rules;
};

} // namespace orvix::photosite
