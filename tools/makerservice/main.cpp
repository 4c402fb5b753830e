// makerservice: the stand-in for the maker's web service, until SIGINT or SIGTERM.

#include "maker_service.h"

#include "localserver/local_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace orvix::makerservice;

namespace {

[[noreturn]] void fail(const QString &message)
{
    orvix::localserver::Fail("makerservice", message);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + path);
    return f.readAll();
}

// "PATH=N" of --status and --stall.
QPair<QString, int> pathValue(const QString &rule, const QString &option)
{
    const int eq = rule.lastIndexOf(QLatin1Char('='));
    bool ok = false;
    const int n = eq > 0 ? rule.mid(eq + 1).toInt(&ok) : 0;
    if (!ok || !rule.startsWith(QLatin1Char('/')))
        fail(QStringLiteral("--%1: expected /PATH=NUMBER, not ").arg(option) + rule);
    return {rule.left(eq), n};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Stands in for the maker's web service in tests and demos."));
    p.addHelpOption();
    auto opt = [](const char *name, const char *help, const char *value = nullptr, const char *def = nullptr) {
        return value ? QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help), QString::fromLatin1(value),
                                          def ? QString::fromLatin1(def) : QString())
                     : QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help));
    };
    p.addOptions({
        opt("port", "Port to listen on; 0 picks a free one.", "n", "0"),
        opt("bind", "Address to listen on (127.0.0.1 only).", "addr", "127.0.0.1"),
        opt("update-version", "The update reply's latest version, e.g. '1.3.0 build:151'.", "text"),
        opt("update-size", "The update reply's size section (default: the installer's size).", "text"),
        opt("update-url", "The update reply's url section (default: the installer's address).", "url"),
        opt("update-notes", "The update reply's release notes; '\\n' starts a new line.", "text"),
        opt("update-raw", "A file whose text is the whole update reply.", "file"),
        opt("installer", "A file served at /files/NAME as the new version's installer.", "file"),
        opt("feedback-reply", "What the feedback address answers.", "text", "FEEDBACK_OK"),
        opt("status", "/PATH=CODE: that path answers with the status; may be repeated.", "rule"),
        opt("stall", "/PATH=MS: that path answers only after MS milliseconds; may be repeated.", "rule"),
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument: ") + p.positionalArguments().first());

    MakerOptions options;
    bool ok = false;
    options.port = p.value(QStringLiteral("port")).toInt(&ok);
    if (!ok || options.port < 0 || options.port > 65535)
        fail(QStringLiteral("--port: expected a number from 0 to 65535"));
    options.bind = p.value(QStringLiteral("bind"));
    for (const char *name : {"update-version", "update-size", "update-url", "update-notes"}) {
        const QString key = QString::fromLatin1(name);
        if (!p.isSet(key))
            continue;
        static const QMap<QString, QString> sections{{QStringLiteral("update-version"), QStringLiteral("latest version")},
                                                     {QStringLiteral("update-size"), QStringLiteral("size")},
                                                     {QStringLiteral("update-url"), QStringLiteral("url")},
                                                     {QStringLiteral("update-notes"), QStringLiteral("release notes")}};
        options.update << qMakePair(sections.value(key), p.value(key).replace(QStringLiteral("\\n"), QStringLiteral("\r\n")));
    }
    if (p.isSet(QStringLiteral("update-raw")))
        options.updateRaw = readFile(p.value(QStringLiteral("update-raw")));
    if (p.isSet(QStringLiteral("installer"))) {
        options.installer = readFile(p.value(QStringLiteral("installer")));
        options.installerName = QFileInfo(p.value(QStringLiteral("installer"))).fileName();
    }
    options.feedbackReply = p.value(QStringLiteral("feedback-reply")).toUtf8();

    orvix::localserver::StopSignals stopSignals;

    try {
        MakerService service(options);
        for (const QString &rule : p.values(QStringLiteral("status"))) {
            CannedReply r;
            std::tie(std::ignore, r.status) = pathValue(rule, QStringLiteral("status"));
            r.body = "status " + QByteArray::number(r.status);
            service.setReply(pathValue(rule, QStringLiteral("status")).first, r);
        }
        for (const QString &rule : p.values(QStringLiteral("stall"))) {
            const auto [path, ms] = pathValue(rule, QStringLiteral("stall"));
            CannedReply r;
            r.stallMs = ms;
            r.body = "stalled";
            service.setReply(path, r);
        }
        service.start();
        orvix::localserver::PrintServing(service.port(), service.baseUrl());
        std::fprintf(stderr, "makerservice: serving %s/\n", qPrintable(service.baseUrl()));
        stopSignals.wait();
        service.stop();
        std::fprintf(stderr, "makerservice: stopped\n");
    } catch (const MakerServiceError &e) {
        fail(e.message());
    }
    return 0;
}
