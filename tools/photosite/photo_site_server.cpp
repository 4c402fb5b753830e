#include "photo_site_server.h"

#include "fault_bodies.h"
#include "raw_connection.h"
#include "site_routes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <csignal>
#include <map>
#include "localserver/local_server.h"

#include <httplib.h>
#include <thread>

namespace orvix::photosite {

class PhotoSiteServer::Impl
{
public:
    explicit Impl(ServerOptions o) : options(std::move(o)), site(options.site) {}

    void handle(const httplib::Request &req, httplib::Response &res);
    void control(const httplib::Request &req, httplib::Response &res, const QString &path, const QString &query);
    void answerWithFault(const FaultRule &fault, SiteResponse r, const httplib::Request &req,
                         httplib::Response &res);
    const Manifest &manifest();
    // Built once per size: deflating a gigabyte of zeros takes a while.
    QByteArray bombBody(qint64 size);

    ServerOptions options;
    Site site;
    PictureFiles files;
    FaultTable faults;
    RequestLog log;
    localserver::LocalServerThread listener;
    std::atomic<bool> stopping{false};
    int port = -1;
    QString host;
    std::unique_ptr<RenderContext> ctx;
    std::unique_ptr<SiteRoutes> routes;
    std::mutex manifestMutex;
    std::unique_ptr<Manifest> manifestCache;
    std::mutex bombMutex;
    std::map<qint64, QByteArray> bombs;
};

QByteArray PhotoSiteServer::Impl::bombBody(qint64 size)
{
    std::lock_guard lock(bombMutex);
    auto it = bombs.find(size);
    if (it == bombs.end())
        it = bombs.emplace(size, gzipBombBody(size)).first;
    return it->second;
}

namespace {

void toHttplib(const SiteResponse &r, httplib::Response &res)
{
    res.status = r.status;
    for (const auto &h : r.headers)
        res.headers.emplace(h.first.toStdString(), h.second.toStdString());
    res.set_content(r.body.constData(), size_t(r.body.size()), r.contentType.toStdString());
}

void answerJson(httplib::Response &res, const QByteArray &json, int status = 200)
{
    res.status = status;
    res.set_content(json.constData(), size_t(json.size()), "application/json; charset=utf-8");
}

QByteArray faultsJson(const QList<FaultRule> &rules)
{
    QJsonArray list;
    for (const FaultRule &f : rules)
        list.append(QJsonObject{{QStringLiteral("pattern"), f.pattern},
                                {QStringLiteral("kind"), faultKindName(f.kind)},
                                {QStringLiteral("arg"), f.arg},
                                {QStringLiteral("times"), f.times},
                                {QStringLiteral("hits"), f.hits},
                                {QStringLiteral("rule"), f.text()}});
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

FaultRule faultFromJson(const QJsonObject &o)
{
    if (o.contains(QStringLiteral("rule")))
        return parseFaultRule(o.value(QStringLiteral("rule")).toString());
    QString ruleText = o.value(QStringLiteral("pattern")).toString() + QLatin1Char('=')
                   + o.value(QStringLiteral("kind")).toString();
    const QString arg = o.value(QStringLiteral("arg")).toVariant().toString();
    if (!arg.isEmpty())
        ruleText += QLatin1Char(':') + arg;
    const int times = o.value(QStringLiteral("times")).toInt(-1);
    if (times >= 0)
        ruleText += QLatin1Char('x') + QString::number(times);
    return parseFaultRule(ruleText);
}

// Faults come as a JSON object, a JSON list of objects, or lines of PATTERN=KIND[:ARG][xN].
QList<FaultRule> faultsFromBody(const QByteArray &body)
{
    QList<FaultRule> rules;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error == QJsonParseError::NoError && doc.isObject()) {
        rules << faultFromJson(doc.object());
    } else if (error.error == QJsonParseError::NoError && doc.isArray()) {
        for (const QJsonValue &v : doc.array())
            rules << faultFromJson(v.toObject());
    } else {
        for (const QByteArray &line : body.split('\n'))
            if (!line.trimmed().isEmpty())
                rules << parseFaultRule(QString::fromUtf8(line.trimmed()));
    }
    return rules;
}

SiteRequest siteRequest(const httplib::Request &req, const QString &path, const QString &query)
{
    SiteRequest s;
    s.method = QString::fromStdString(req.method);
    s.path = path;
    s.query = query;
    s.cookies = parseCookies(QString::fromStdString(req.get_header_value("Cookie")));
    s.referer = QString::fromStdString(req.get_header_value("Referer"));
    if (s.method == QStringLiteral("POST"))
        s.form = parseForm(QString::fromUtf8(req.body.data(), qsizetype(req.body.size())));
    return s;
}

} // namespace

void PhotoSiteServer::Impl::handle(const httplib::Request &req, httplib::Response &res)
{
    const QString target = QString::fromStdString(req.target);
    const int q = target.indexOf(QLatin1Char('?'));
    const QString path = q < 0 ? target : target.left(q);
    const QString query = q < 0 ? QString() : target.mid(q + 1);
    if (path.startsWith(QStringLiteral("/__"))) {
        control(req, res, path, query);
        return;
    }
    RequestRecord record;
    record.method = QString::fromStdString(req.method);
    record.target = target;
    record.path = path;
    record.cookies = QString::fromStdString(req.get_header_value("Cookie"));
    record.userAgent = QString::fromStdString(req.get_header_value("User-Agent"));
    record.time = QDateTime::currentDateTime();
    const std::optional<FaultRule> fault = faults.take(path, target);
    if (fault)
        record.fault = fault->text(false);
    log.add(record);

    const SiteResponse r = routes->handle(siteRequest(req, path, query));
    if (fault)
        answerWithFault(*fault, r, req, res);
    else
        toHttplib(r, res);
}

void PhotoSiteServer::Impl::answerWithFault(const FaultRule &fault, SiteResponse r, const httplib::Request &req,
                                            httplib::Response &res)
{
    RawResponse raw;
    raw.status = r.status;
    raw.headers = r.headers;
    raw.headers.prepend({"Content-Type", r.contentType});
    raw.body = r.body;
    switch (fault.kind) {
    case FaultKind::Delay:
        sleepUnlessStopping(fault.seconds(), stopping);
        toHttplib(r, res);
        return;
    case FaultKind::Error500:
        toHttplib(htmlResponse(standardPage(QStringLiteral("Server error | Photo Site"), QString(),
                                            QStringLiteral("<h1>Something went wrong</h1>\n<p>The server could "
                                                           "not complete the request.</p>\n")),
                               500),
                  res);
        return;
    case FaultKind::Status:
        toHttplib(htmlResponse(standardPage(QStringLiteral("Error | Photo Site"), QString(),
                                            QStringLiteral("<h1>Error ") + fault.arg + QStringLiteral("</h1>\n")),
                               fault.arg.toInt()),
                  res);
        return;
    case FaultKind::Charset:
        r.contentType = fault.arg == QStringLiteral("none") ? QByteArray("text/html")
                                                            : "text/html; charset=" + fault.arg.toLatin1();
        toHttplib(r, res);
        return;
    case FaultKind::Garbage:
        r.body = garbageBody();
        r.contentType = "text/html; charset=utf-8";
        toHttplib(r, res);
        return;
    case FaultKind::Gzip:
        raw.body = gzipBody(r.body);
        raw.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
        break;
    case FaultKind::Zlib: raw.body = zlibBody(r.body); break;
    case FaultKind::BadGzip: raw.body = brokenCompressedBody(); break;
    case FaultKind::Stall:
        raw.stallAfter = raw.body.size() / 2;
        raw.stallSeconds = fault.seconds();
        break;
    case FaultKind::Short:
        raw.sendBytes = qMax<qint64>(0, raw.body.size() - fault.bytes(raw.body.size() / 2));
        break;
    case FaultKind::NoLength: raw.withLength = false; break;
    case FaultKind::Bomb: raw.body = bombBody(fault.bytes(qint64(1) << 30)); break;
    case FaultKind::Huge: raw.padTo = fault.bytes(0); break;
    case FaultKind::Endless: raw.endless = true; break;
    case FaultKind::Trickle: raw.byteInterval = fault.seconds(); break;
    case FaultKind::Reset:
        raw.sendBytes = fault.bytes(-1);
        raw.resetAfterBody = true;
        break;
    }
    const int socket = findConnectionSocket(req.local_port, req.remote_port);
    if (socket < 0) {
        qWarning("photosite: connection of %s not found, answering normally", req.target.c_str());
        toHttplib(r, res);
        return;
    }
    if (fault.kind == FaultKind::Reset && raw.sendBytes < 0)
        resetConnection(socket);
    else
        sendRaw(socket, raw, stopping);
    res.status = 200; // written into a closed connection; nobody reads it
}

void PhotoSiteServer::Impl::control(const httplib::Request &req, httplib::Response &res, const QString &path,
                                    const QString &query)
{
    const std::string &method = req.method;
    try {
        if (path == QStringLiteral("/__manifest")) {
            const QByteArray json = orvix::photosite::manifestJson(manifest());
            answerJson(res, json);
        } else if (path == QStringLiteral("/__requests")) {
            answerJson(res, requestsJson(log.records()));
        } else if (path == QStringLiteral("/__requests/reset")) {
            log.reset();
            answerJson(res, "{\"ok\": true}\n");
        } else if (path == QStringLiteral("/__faults") && method == "POST") {
            const QList<FaultRule> added = faultsFromBody(QByteArray::fromStdString(req.body));
            for (const FaultRule &f : added)
                faults.add(f);
            answerJson(res, faultsJson(faults.rules()));
        } else if ((path == QStringLiteral("/__faults") && method == "DELETE")
                   || path == QStringLiteral("/__faults/clear")) {
            faults.clear();
            answerJson(res, "[]\n");
        } else if (path == QStringLiteral("/__faults")) {
            answerJson(res, faultsJson(faults.rules()));
        } else if (path.startsWith(QStringLiteral("/__rendered/"))) {
            toHttplib(routes->handle(siteRequest(req, path.mid(int(qstrlen("/__rendered"))), query), true), res);
        } else {
            toHttplib(notFound(), res);
        }
    } catch (const PhotoSiteError &e) {
        answerJson(res, QJsonDocument(QJsonObject{{QStringLiteral("error"), e.message()}}).toJson(), 400);
    }
}

const Manifest &PhotoSiteServer::Impl::manifest()
{
    std::lock_guard<std::mutex> lock(manifestMutex);
    if (!ctx)
        throw PhotoSiteError(QStringLiteral("the photo site is not started"));
    if (!manifestCache)
        manifestCache = std::make_unique<Manifest>(buildManifest(*ctx, files));
    return *manifestCache;
}

PhotoSiteServer::PhotoSiteServer(ServerOptions options) : d(std::make_unique<Impl>(std::move(options))) {}

PhotoSiteServer::~PhotoSiteServer() { stop(); }

void PhotoSiteServer::start()
{
    if (d->listener.isStarted())
        return;
    if (d->options.bind != QStringLiteral("127.0.0.1"))
        throw PhotoSiteError(QStringLiteral("the photo site listens on 127.0.0.1 only, not on ") + d->options.bind);
    for (const FaultRule &f : std::as_const(d->options.faults))
        d->faults.add(f);
    // Writes to connections the client already closed must fail, not end the process.
    struct sigaction current = {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    auto server = std::make_unique<httplib::Server>();
    // Browsers and the program's thumbnail fetcher keep many connections open at once.
    server->new_task_queue = [] { return new httplib::ThreadPool(32); };
    server->set_keep_alive_timeout(2);
    auto handler = [this](const httplib::Request &req, httplib::Response &res) { d->handle(req, res); };
    server->Get(".*", handler);
    server->Post(".*", handler);
    server->Delete(".*", handler);

    const int port = d->listener.bind(std::move(server), d->options.port);
    if (port <= 0)
        throw PhotoSiteError(QStringLiteral("cannot listen on 127.0.0.1:") + QString::number(d->options.port));

    d->port = port;
    d->host = d->options.host.isEmpty() ? QStringLiteral("127.0.0.1:") + QString::number(port) : d->options.host;
    d->ctx = std::make_unique<RenderContext>(RenderContext{d->site, d->host});
    d->routes = std::make_unique<SiteRoutes>(*d->ctx, d->files);
    d->stopping = false;
    if (!d->listener.listen())
        throw PhotoSiteError(QStringLiteral("the photo site could not start listening"));
}

void PhotoSiteServer::stop()
{
    d->stopping = true;
    d->listener.stop();
}

bool PhotoSiteServer::isRunning() const { return d->listener.isRunning(); }
int PhotoSiteServer::port() const { return d->port; }
QString PhotoSiteServer::host() const { return d->host; }
QString PhotoSiteServer::baseUrl() const { return QStringLiteral("http://") + d->host; }
const Site &PhotoSiteServer::site() const { return d->site; }
const Manifest &PhotoSiteServer::manifest() { return d->manifest(); }
QByteArray PhotoSiteServer::manifestJson() { return orvix::photosite::manifestJson(d->manifest()); }

QByteArray PhotoSiteServer::renderedPage(const QString &pathAndQuery)
{
    if (!d->routes)
        throw PhotoSiteError(QStringLiteral("the photo site is not started"));
    const int q = pathAndQuery.indexOf(QLatin1Char('?'));
    SiteRequest r;
    r.path = q < 0 ? pathAndQuery : pathAndQuery.left(q);
    r.query = q < 0 ? QString() : pathAndQuery.mid(q + 1);
    return d->routes->handle(r, true).body;
}

void PhotoSiteServer::addFault(const FaultRule &rule) { d->faults.add(rule); }
void PhotoSiteServer::clearFaults() { d->faults.clear(); }
QList<FaultRule> PhotoSiteServer::faults() const { return d->faults.rules(); }
QList<RequestRecord> PhotoSiteServer::requests() const { return d->log.records(); }
void PhotoSiteServer::resetRequests() { d->log.reset(); }

} // namespace orvix::photosite
