// photosite: serves the simulated photo site until SIGINT or SIGTERM.

#include "photo_site_server.h"

#include "localserver/local_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace orvix::photosite;

namespace {

[[noreturn]] void fail(const QString &message)
{
    orvix::localserver::Fail("photosite", message);
}

qint64 parseSize(const QString &text)
{
    QString t = text.trimmed().toUpper();
    qint64 unit = 1;
    if (t.endsWith(QLatin1Char('K')))
        unit = 1024;
    else if (t.endsWith(QLatin1Char('M')))
        unit = 1024 * 1024;
    if (unit > 1)
        t.chop(1);
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || v <= 0)
        fail(QStringLiteral("--file-size: not a size: ") + text);
    return qint64(v * double(unit));
}

int parseInt(const QCommandLineParser &p, const QString &name, int min, int max)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min || v > max)
        fail(QStringLiteral("--%1: expected a number from %2 to %3").arg(name).arg(min).arg(max));
    return v;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Serves a generated photo site for tests and demos."));
    p.addHelpOption();
    const ServerOptions defaults;
    p.addOptions({
        {QStringLiteral("port"), QStringLiteral("Port to listen on; 0 picks a free one."), QStringLiteral("n"),
         QStringLiteral("0")},
        {QStringLiteral("bind"), QStringLiteral("Address to listen on (127.0.0.1 only)."), QStringLiteral("addr"),
         defaults.bind},
        {QStringLiteral("seed"), QStringLiteral("Seed of the generated site."), QStringLiteral("n"),
         QString::number(defaults.site.seed)},
        {QStringLiteral("owners"), QStringLiteral("Number of people with photos."), QStringLiteral("n"),
         QString::number(defaults.site.owners)},
        {QStringLiteral("photos"), QStringLiteral("Photos per person (roughly)."), QStringLiteral("n"),
         QString::number(defaults.site.photosPerOwner)},
        {QStringLiteral("per-page"), QStringLiteral("Pictures per listing page."), QStringLiteral("n"),
         QString::number(defaults.site.perPage)},
        {QStringLiteral("host"), QStringLiteral("Host written into absolute links (default 127.0.0.1:PORT)."),
         QStringLiteral("host")},
        {QStringLiteral("file-size"), QStringLiteral("Approximate size of each largest picture file, e.g. 2M."),
         QStringLiteral("bytes"), QString::number(defaults.site.largestFileBytes)},
        {QStringLiteral("fault"), QStringLiteral("PATTERN=KIND[:ARG][xN]; may be repeated."),
         QStringLiteral("rule")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument: ") + p.positionalArguments().first());

    ServerOptions options;
    options.bind = p.value(QStringLiteral("bind"));
    options.port = parseInt(p, QStringLiteral("port"), 0, 65535);
    bool ok = false;
    options.site.seed = p.value(QStringLiteral("seed")).toULongLong(&ok);
    if (!ok)
        fail(QStringLiteral("--seed: expected a number"));
    options.site.owners = parseInt(p, QStringLiteral("owners"), 1, 100);
    options.site.photosPerOwner = parseInt(p, QStringLiteral("photos"), 1, 5000);
    options.site.perPage = parseInt(p, QStringLiteral("per-page"), 1, 500);
    options.site.largestFileBytes = parseSize(p.value(QStringLiteral("file-size")));
    options.host = p.value(QStringLiteral("host"));

    orvix::localserver::StopSignals stopSignals;

    try {
        for (const QString &ruleText : p.values(QStringLiteral("fault")))
            options.faults << parseFaultRule(ruleText);
        PhotoSiteServer server(options);
        server.start();
        orvix::localserver::PrintServing(server.port(), server.baseUrl());
        std::fprintf(stderr, "photosite: serving %s/ (seed %llu, %d pictures)\n", qPrintable(server.baseUrl()),
                     static_cast<unsigned long long>(options.site.seed), int(server.site().pictures().size()));
        stopSignals.wait();
        server.stop();
        std::fprintf(stderr, "photosite: stopped\n");
    } catch (const PhotoSiteError &e) {
        fail(e.message());
    }
    return 0;
}
