#include "maker_service.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include "localserver/local_server.h"

#include <httplib.h>
#include <map>
#include <mutex>
#include <thread>

namespace orvix::makerservice {

QString RecordedRequest::header(const QString &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

QByteArray RecordedRequest::field(const QString &name) const
{
    for (const FormField &f : fields)
        if (f.name == name)
            return f.value;
    return {};
}

QStringList RecordedRequest::fieldNames() const
{
    QStringList names;
    for (const FormField &f : fields)
        names << f.name;
    return names;
}

class MakerService::Impl
{
public:
    explicit Impl(MakerOptions o) : options(std::move(o)) {}

    void handle(const httplib::Request &req, httplib::Response &res, const QByteArray &body,
                const QList<FormField> *multipart = nullptr);
    bool control(const QString &path, const RecordedRequest &r, httplib::Response &res);
    void applyControl(const QJsonObject &o);
    QByteArray updateReply() const;
    void stall(int ms) const;

    MakerOptions options; // the replies; guarded by mutex while running
    std::map<QString, CannedReply> replies;
    QList<RecordedRequest> log;
    mutable std::mutex mutex;
    mutable std::condition_variable logged;
    localserver::LocalServerThread listener;
    std::atomic<bool> stopping{false};
    int port = -1;
};

namespace {

QByteArray sectionsText(const UpdateSections &sections)
{
    QByteArray text;
    for (const auto &s : sections)
        text += '[' + s.first.toUtf8() + "]\r\n" + s.second.toUtf8() + "\r\n";
    return text;
}

bool hasSection(const UpdateSections &sections, const QString &name)
{
    for (const auto &s : sections)
        if (s.first == name)
            return true;
    return false;
}

QJsonObject requestJson(const RecordedRequest &r)
{
    QJsonObject headers;
    for (const auto &h : r.headers)
        headers[h.first] = h.second;
    QJsonArray fields;
    for (const FormField &f : r.fields) {
        QJsonObject field{{QStringLiteral("name"), f.name}, {QStringLiteral("value"), QString::fromUtf8(f.value)}};
        if (f.isFile)
            field[QStringLiteral("fileName")] = f.fileName;
        fields.append(field);
    }
    return QJsonObject{{QStringLiteral("method"), r.method},
                       {QStringLiteral("path"), r.path},
                       {QStringLiteral("query"), r.query},
                       {QStringLiteral("headers"), headers},
                       {QStringLiteral("fields"), fields},
                       {QStringLiteral("bodySize"), r.body.size()},
                       {QStringLiteral("clientPort"), r.clientPort},
                       {QStringLiteral("time"), r.time.toString(Qt::ISODateWithMs)}};
}

// Section order as the program's update window lists them; others after, by name.
UpdateSections sectionsFromJson(const QJsonValue &v)
{
    UpdateSections sections;
    if (v.isArray()) {
        for (const QJsonValue &pair : v.toArray())
            sections << qMakePair(pair.toArray().at(0).toString(), pair.toArray().at(1).toString());
        return sections;
    }
    QJsonObject o = v.toObject();
    for (const char *name : {"latest version", "size", "url", "sha256", "release notes"}) {
        const QString key = QString::fromLatin1(name);
        if (o.contains(key))
            sections << qMakePair(key, o.take(key).toVariant().toString());
    }
    for (auto it = o.begin(); it != o.end(); ++it)
        sections << qMakePair(it.key(), it.value().toVariant().toString());
    return sections;
}

} // namespace

QByteArray MakerService::Impl::updateReply() const
{
    if (!options.updateRaw.isEmpty())
        return options.updateRaw;
    UpdateSections sections = options.update;
    if (!hasSection(sections, QStringLiteral("latest version")))
        sections.prepend(qMakePair(QStringLiteral("latest version"), QStringLiteral("0.0.0 build:0")));
    if (!options.installerName.isEmpty()) {
        if (!hasSection(sections, QStringLiteral("size")))
            sections << qMakePair(QStringLiteral("size"), QString::number(options.installer.size()));
        if (!hasSection(sections, QStringLiteral("url")))
            sections << qMakePair(QStringLiteral("url"), QStringLiteral("http://127.0.0.1:%1/files/%2")
                                                              .arg(port).arg(options.installerName));
        if (!hasSection(sections, QStringLiteral("sha256")))
            sections << qMakePair(QStringLiteral("sha256"),
                                  QString::fromLatin1(QCryptographicHash::hash(options.installer,
                                                                               QCryptographicHash::Sha256).toHex()));
    }
    return sectionsText(sections);
}

void MakerService::Impl::stall(int ms) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void MakerService::Impl::applyControl(const QJsonObject &o)
{
    std::lock_guard lock(mutex);
    if (o.value(QStringLiteral("clear")).toBool())
        replies.clear();
    if (o.contains(QStringLiteral("update"))) {
        options.update = sectionsFromJson(o.value(QStringLiteral("update")));
        options.updateRaw.clear();
    }
    if (o.contains(QStringLiteral("updateRaw")))
        options.updateRaw = o.value(QStringLiteral("updateRaw")).toString().toUtf8();
    if (o.contains(QStringLiteral("feedbackReply")))
        options.feedbackReply = o.value(QStringLiteral("feedbackReply")).toString().toUtf8();
    if (o.contains(QStringLiteral("installer"))) {
        const QJsonObject i = o.value(QStringLiteral("installer")).toObject();
        options.installerName = i.value(QStringLiteral("name")).toString();
        if (i.contains(QStringLiteral("base64")))
            options.installer = QByteArray::fromBase64(i.value(QStringLiteral("base64")).toString().toLatin1());
        else // generated bytes of the given size
            options.installer = QByteArray(qsizetype(i.value(QStringLiteral("size")).toDouble()), 'I');
    }
    const QJsonObject canned = o.value(QStringLiteral("replies")).toObject();
    for (auto it = canned.begin(); it != canned.end(); ++it) {
        const QJsonObject r = it.value().toObject();
        CannedReply reply;
        reply.status = r.value(QStringLiteral("status")).toInt(200);
        reply.body = r.value(QStringLiteral("body")).toString().toUtf8();
        reply.contentType = r.value(QStringLiteral("contentType")).toString(QStringLiteral("text/plain")).toUtf8();
        reply.stallMs = r.value(QStringLiteral("stallMs")).toInt(0);
        replies[it.key()] = reply;
    }
}

bool MakerService::Impl::control(const QString &path, const RecordedRequest &r, httplib::Response &res)
{
    if (path == QStringLiteral("/__posts")) {
        QJsonArray list;
        {
            std::lock_guard lock(mutex);
            for (const RecordedRequest &rec : log)
                list.append(requestJson(rec));
        }
        const QByteArray json = QJsonDocument(list).toJson(QJsonDocument::Indented);
        res.set_content(json.constData(), size_t(json.size()), "application/json; charset=utf-8");
        return true;
    }
    if (path == QStringLiteral("/__posts/reset")) {
        std::lock_guard lock(mutex);
        log.clear();
        res.set_content("OK", "text/plain");
        return true;
    }
    if (path == QStringLiteral("/__control")) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            res.status = 400;
            res.set_content("expected a JSON object", "text/plain");
            return true;
        }
        applyControl(doc.object());
        res.set_content("OK", "text/plain");
        return true;
    }
    return false;
}

void MakerService::Impl::handle(const httplib::Request &req, httplib::Response &res, const QByteArray &body,
                                const QList<FormField> *multipart)
{
    RecordedRequest r;
    r.method = QString::fromStdString(req.method);
    r.path = QString::fromStdString(req.path);
    const size_t q = req.target.find('?');
    r.query = q == std::string::npos ? QString() : QString::fromStdString(req.target.substr(q + 1));
    for (const auto &h : req.headers) // without the ones the server library adds
        if (h.first != "LOCAL_ADDR" && h.first != "LOCAL_PORT" && h.first != "REMOTE_ADDR" && h.first != "REMOTE_PORT")
            r.headers << qMakePair(QString::fromStdString(h.first), QString::fromStdString(h.second));
    r.body = body;
    r.clientPort = req.remote_port;
    r.time = QDateTime::currentDateTime();
    if (control(r.path, r, res))
        return;

    if (multipart)
        r.fields = *multipart;
    else if (r.method == QStringLiteral("POST"))
        r.fields = ParseUrlEncoded(body);
    else
        r.fields = ParseUrlEncoded(r.query.toUtf8());

    CannedReply reply;
    bool canned = false;
    {
        std::lock_guard lock(mutex);
        log << r;
        if (auto it = replies.find(r.path); it != replies.end()) {
            reply = it->second;
            canned = true;
        } else if (r.path == QStringLiteral("/CheckUpdates.aspx")) {
            reply.body = updateReply();
        } else if (r.path == QStringLiteral("/upgrades/feedback.aspx")) {
            reply.body = options.feedbackReply;
        } else if (r.path == QStringLiteral("/OrvixSubmitPage.aspx") || r.path == QStringLiteral("/AppException.aspx")) {
            reply.body = options.submitReply;
        } else if (!options.installerName.isEmpty() && r.path == QStringLiteral("/files/") + options.installerName) {
            reply.body = options.installer;
            reply.contentType = "application/octet-stream";
        } else if (r.path == QStringLiteral("/")) {
            reply.body = "<html><head><title>Varnel Software</title></head><body><h1>Varnel Software</h1>"
                         "<p>Stand-in web site of the maker.</p></body></html>";
            reply.contentType = "text/html; charset=utf-8";
        } else {
            reply.status = 404;
            reply.body = "Not found";
        }
    }
    logged.notify_all();
    if (canned && reply.stallMs > 0)
        stall(reply.stallMs);
    res.status = reply.status;
    for (const auto &h : reply.headers)
        res.headers.emplace(h.first.toStdString(), h.second.toStdString());
    res.set_content(reply.body.constData(), size_t(reply.body.size()), reply.contentType.toStdString());
}

MakerService::MakerService(MakerOptions options) : d(std::make_unique<Impl>(std::move(options))) {}

MakerService::~MakerService() { stop(); }

void MakerService::start()
{
    if (d->listener.isStarted())
        return;
    if (d->options.bind != QStringLiteral("127.0.0.1"))
        throw MakerServiceError(QStringLiteral("the maker service listens on 127.0.0.1 only, not on ") + d->options.bind);
    // Writes to connections the client already closed must fail, not end the process.
    struct sigaction current = {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(8); };
    server->set_keep_alive_timeout(5);
    server->Get(".*", [this](const httplib::Request &req, httplib::Response &res) {
        d->handle(req, res, QByteArray::fromStdString(req.body));
    });
    // Read part by part, so multipart fields keep their order and bytes.
    server->Post(".*", [this](const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader) {
        QByteArray body;
        if (!req.is_multipart_form_data()) {
            reader([&body](const char *data, size_t length) {
                body.append(data, qsizetype(length));
                return true;
            });
            d->handle(req, res, body);
            return;
        }
        QList<FormField> fields;
        reader(
            [&fields](const httplib::MultipartFormData &part) {
                FormField f;
                f.name = QString::fromStdString(part.name);
                f.fileName = QString::fromStdString(part.filename);
                f.isFile = !part.filename.empty();
                fields << f;
                return true;
            },
            [&fields, &body](const char *data, size_t length) {
                fields.last().value.append(data, qsizetype(length));
                body.append(data, qsizetype(length));
                return true;
            });
        d->handle(req, res, body, &fields);
    });

    const int port = d->listener.bind(std::move(server), d->options.port);
    if (port <= 0)
        throw MakerServiceError(QStringLiteral("cannot listen on 127.0.0.1:") + QString::number(d->options.port));
    d->port = port;
    d->stopping = false;
    if (!d->listener.listen())
        throw MakerServiceError(QStringLiteral("the maker service could not start listening"));
}

void MakerService::stop()
{
    d->stopping = true;
    d->listener.stop();
}

int MakerService::port() const { return d->port; }
QString MakerService::host() const { return QStringLiteral("127.0.0.1:") + QString::number(d->port); }
QString MakerService::baseUrl() const { return QStringLiteral("http://") + host(); }

void MakerService::setUpdate(const UpdateSections &sections)
{
    std::lock_guard lock(d->mutex);
    d->options.update = sections;
    d->options.updateRaw.clear();
}

void MakerService::setUpdateRaw(const QByteArray &text)
{
    std::lock_guard lock(d->mutex);
    d->options.updateRaw = text;
}

void MakerService::setInstaller(const QString &name, const QByteArray &bytes)
{
    std::lock_guard lock(d->mutex);
    d->options.installerName = name;
    d->options.installer = bytes;
}

void MakerService::setFeedbackReply(const QByteArray &text)
{
    std::lock_guard lock(d->mutex);
    d->options.feedbackReply = text;
}

void MakerService::setReply(const QString &path, const CannedReply &reply)
{
    std::lock_guard lock(d->mutex);
    d->replies[path] = reply;
}

void MakerService::clearReplies()
{
    std::lock_guard lock(d->mutex);
    d->replies.clear();
}

QByteArray MakerService::updateReply() const
{
    std::lock_guard lock(d->mutex);
    return d->updateReply();
}

QList<RecordedRequest> MakerService::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->log;
}

QList<RecordedRequest> MakerService::requests(const QString &path) const
{
    QList<RecordedRequest> found;
    for (const RecordedRequest &r : requests())
        if (r.path == path)
            found << r;
    return found;
}

void MakerService::resetRequests()
{
    std::lock_guard lock(d->mutex);
    d->log.clear();
}

bool MakerService::waitForRequests(const QString &path, int count, int timeoutMs) const
{
    std::unique_lock lock(d->mutex);
    return d->logged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        int n = 0;
        for (const RecordedRequest &r : d->log)
            n += r.path == path ? 1 : 0;
        return n >= count;
    });
}

QByteArray MakerService::requestsJson() const
{
    QJsonArray list;
    for (const RecordedRequest &r : requests())
        list.append(requestJson(r));
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

} // namespace orvix::makerservice
