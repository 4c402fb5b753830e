#include "engine/ie_http.h"

#include "engine/curl_transfer.h"
#include "engine/http_decode.h"
#include "engine/http_url.h"
#include "engine/wininet_errors.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkInterface>
#include <QScopeGuard>

namespace orvix {

namespace {

using Clock = CurlTransfer::Clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Packet events are raised at most this often, however many pieces arrive in between.
constexpr milliseconds kPacketCycle{50};
constexpr int kBlockingWaitMs = 500;
constexpr int kPumpingWaitMs = 10;

const QString kMultipartContentType =
    QStringLiteral("multipart/form-data; boundary=") + QLatin1String(MultipartBoundary);
const QString kFormContentType = QStringLiteral("application/x-www-form-urlencoded");

// "Name: " in lower case for a header name given with or without its colon.
QString headerKey(const QString &name)
{
    QString n = name.trimmed();
    if (n.endsWith(u':'))
        n.chop(1);
    return n.toLower() + QLatin1String(": ");
}

int findHeader(const QStringList &lines, const QString &name)
{
    const QString key = headerKey(name);
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].toLower().startsWith(key))
            return i;
    }
    return -1;
}

QString headerValueAt(const QStringList &lines, int idx)
{
    if (idx < 0)
        return {};
    const QString &line = lines[idx];
    return line.mid(line.indexOf(QLatin1String(": ")) + 2);
}

QByteArray readWholeFile(const QString &filename)
{
    QFile f(filename);
    if (!f.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("TIEHttp: cannot read file %1").arg(filename));
    return f.readAll();
}

int millisUntil(Clock::time_point moment, Clock::time_point now)
{
    return int(qMax<qint64>(0, std::chrono::duration_cast<milliseconds>(moment - now).count()));
}

} // namespace

TIEHttp::TIEHttp() = default;

TIEHttp::~TIEHttp() = default;

void TIEHttp::ensureIdle(const char *message) const
{
    if (m_workingStatus != 0)
        throw EOrvix(QString::fromLatin1(message));
}

void TIEHttp::setURL(const QString &url)
{
    fUrl = url;
    if (url.isEmpty())
        return;
    const HttpUrlParts parts = CrackHttpUrl(url);
    _scheme = parts.scheme;
    _hostName = parts.host;
    _port = parts.port;
    _urlPath = parts.path;
    _urlPathEncoded = parts.pathEncoded;
    _extraInfoAnsi = parts.query;
    if (_username.isEmpty() && !parts.username.isEmpty()) {
        _username = parts.username;
        _password = parts.password;
    }
    if (!parts.error.isEmpty())
        m_errorMsg = parts.error;
}

void TIEHttp::setPostStr(const QString &value)
{
    ensureIdle("TIEHttp: Cannot change parameters while processing request");
    fPostStr = value;
}

void TIEHttp::setGetStr(const QString &value)
{
    ensureIdle("TIEHttp: Cannot change parameters while processing request");
    fGetStr = value;
}

void TIEHttp::setRequestMethod(const QString &method)
{
    ensureIdle("Cannot change parameters while processing request");
    const QString m = method.toUpper();
    if (m != QLatin1String("GET") && m != QLatin1String("POST"))
        throw EOrvix(QStringLiteral("Unsupported method. Allowed methods: GET, POST"));
    fRequestMethod = m;
    if (m == QLatin1String("POST"))
        ContentType = fMultipartPOST ? kMultipartContentType : kFormContentType;
    else
        ContentType.clear();
}

void TIEHttp::setMultipartPOST(bool multipart)
{
    ensureIdle("TIEHttp: Cannot change parameters while processing request");
    fMultipartPOST = multipart;
    setRequestMethod(multipart ? QStringLiteral("POST") : fRequestMethod);
}

void TIEHttp::ExecuteUrl(const QString &url)
{
    setURL(url);
    Execute();
}

void TIEHttp::resetResults()
{
    m_resultMs.clear();
    m_resultSl.clear();
    m_resultSlReady = true;
    m_cookies.clear();
    m_responseHeaders.clear();
    m_debugTotalPackets = 0;
    m_debugTotalPacketEvents = 0;
    m_debugTotalTimerEvents = 0;
}

void TIEHttp::Execute()
{
    // A request started from one of the running request's events nests inside it; the outer
    // one stays "working" until it ends itself.
    const int previousStatus = m_workingStatus;
    if (previousStatus != 0
        && ConfirmOkCancel(nullptr, QStringLiteral("Request is in progress (iehttp). Override and continue?"),
                           QStringLiteral("TIEHttp")))
        return;
    flagRequestToStop = false;
    m_workingStatus = 1;
    m_errorCode = 0;
    m_dwErrorX = 0;
    m_bytesReadTotal = 0;
    m_contentSize = 0;
    m_errorMsg.clear();
    if (fUrl.isEmpty()) {
        m_workingStatus = previousStatus;
        throw EOrvix(QStringLiteral("TIEHttp: no url in execute method"));
    }
    resetResults();
    {
        const auto finish = qScopeGuard([this, previousStatus] {
            m_multipartVars.clear();
            m_multipartBinaryVars.clear();
            m_workingStatus = previousStatus;
        });
        TransferRequest request;
        if (prepareRequest(request))
            runTransfer(std::move(request));
    }
    try {
        m_resultMs = DecodeResponseBody(m_resultMs, UnzipMethod, MaxResponseBytes);
    } catch (...) {
        m_resultMs.clear(); // undecodable bytes are no answer
        throw;
    }
    m_resultSlReady = false;
    if (m_dwErrorX > 0)
        throw EOrvix(WininetErrorMessage(m_dwErrorX));
    if (m_errorMsg.isEmpty() && FailOnHttpError && m_errorCode == 0 && StatusCode() >= 400)
        m_errorMsg = QStringLiteral("HTTP ") + QString::number(StatusCode());
    if (!m_errorMsg.isEmpty())
        throw EOrvix(QStringLiteral("TIEHttp error: ") + m_errorMsg);
}

bool TIEHttp::prepareRequest(TransferRequest &request)
{
    const bool post = fRequestMethod == QLatin1String("POST");
    QByteArray path = _urlPathEncoded;
    QByteArray body;
    if (post) {
        body = _extraInfoAnsi.mid(1);
    } else {
        path += _extraInfoAnsi;
        if (!fGetStr.isEmpty()) {
            path += (path.contains('?') ? '&' : '?') + EscapeUnsafeBytes(fGetStr.toUtf8());
            fGetStr.clear();
        }
    }
    if (!fPostStr.isEmpty()) {
        const QString postStr = std::exchange(fPostStr, {});
        if (!post) {
            m_errorMsg = QStringLiteral("form fields can only be sent with POST");
            return false;
        }
        if (!body.isEmpty())
            body += '&';
        body += postStr.toUtf8();
    }

    QString contentType;
    if (post)
        contentType = ContentType.isEmpty() ? kFormContentType : ContentType;
    if (contentType.contains(QLatin1String("Content-Type:"))) {
        m_errorMsg = QStringLiteral("invalid content type: %1").arg(contentType);
        return false;
    }
    if (contentType.toLower().contains(QLatin1String("multipart"))) {
        QByteArray multipart;
        const QString error = BuildMultipartBody(body, m_multipartVars, m_multipartBinaryVars, multipart);
        if (!error.isEmpty()) {
            m_errorMsg = error;
            return false;
        }
        body = std::move(multipart);
    }

    HttpUrlParts origin;
    origin.scheme = _scheme;
    origin.host = _hostName;
    origin.port = _port;
    request.method = post ? "POST" : "GET";
    request.url = HttpOrigin(origin) + path;
    request.username = _username;
    request.password = _password;
    for (const QString &line : std::as_const(RequestHeaders))
        request.headers.append(line.toUtf8());
    request.contentType = contentType.toLatin1();
    request.body = std::move(body);
    request.agent = HttpAgentString.toUtf8();
    request.proxyUsername = proxyUsername;
    request.proxyPassword = proxyPassword;
    request.caCertificates = CaCertificates;
    request.noCache = ForceHttpReload;
    request.maxBodyBytes = MaxResponseBytes;
    request.connectTimeoutMs = ConnectTimeoutSeconds * 1000;
    if (fTimeout > 0 && (request.connectTimeoutMs <= 0 || fTimeout * 1000 < request.connectTimeoutMs))
        request.connectTimeoutMs = fTimeout * 1000;
    request.lowSpeedBytes = LowSpeedBytes;
    request.lowSpeedSeconds = LowSpeedSeconds;
    request.bodySink = BodySink;
    return true;
}

void TIEHttp::runTransfer(TransferRequest &&request)
{
    CurlTransfer transfer(std::move(request));
    CurlTransfer *outer = nullptr;
    {
        std::lock_guard guard(m_transferLock);
        outer = std::exchange(m_transfer, &transfer);
    }
    const auto unregister = qScopeGuard([this, outer] {
        std::lock_guard guard(m_transferLock);
        m_transfer = outer;
    });

    enum class End { Completed, TimedOut, Stopped } end = End::Completed;
    const auto start = Clock::now();
    auto lastPacketEvent = start - kPacketCycle;
    auto lastTimer = start;
    quint64 reportedPackets = 0;
    int headersTaken = 0; // the header block taken last
    for (;;) {
        const bool done = transfer.perform();
        m_bytesReadTotal = transfer.bytesRead();
        m_debugTotalPackets = int(transfer.packets());
        if (transfer.headersDone() && headersTaken != transfer.headerBlocks()) {
            headersTaken = transfer.headerBlocks();
            m_responseHeaders = transfer.headerLines();
            bool ok = false;
            qint64 size = GetResponseHeaderValue(QStringLiteral("Content-Length")).toLongLong(&ok);
            if (!ok)
                size = 1;
            const QString custom = GetResponseHeaderValue(QStringLiteral("Custom-Content-Length"));
            if (size < 2 && !custom.isEmpty() && custom != QLatin1String("0"))
                size = custom.toLongLong();
            m_contentSize = size;
        }
        if (done)
            break;

        // Checked before the events run, so a slow event handler cannot pass for a silent server.
        const auto now = Clock::now();
        const auto deadline = transfer.lastData() + seconds(fTimeout);
        if (fTimeout > 0 && now >= deadline) {
            end = End::TimedOut;
            break;
        }
        if (OnPacketRead && transfer.packets() > reportedPackets && now - lastPacketEvent >= kPacketCycle) {
            lastPacketEvent = now;
            reportedPackets = transfer.packets();
            ++m_debugTotalPacketEvents;
            const Event handler = OnPacketRead; // the handler may replace itself
            handler(*this);
        }
        if (OnTimer && fTimerIntervalSeconds > 0 && now - lastTimer >= seconds(fTimerIntervalSeconds)) {
            lastTimer = now;
            ++m_debugTotalTimerEvents;
            const Event handler = OnTimer;
            handler(*this);
        }
        if (!fBlockingMode && QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (flagRequestToStop || (StopWhen && *StopWhen)) {
            end = End::Stopped;
            break;
        }

        int waitMs = fBlockingMode ? kBlockingWaitMs : kPumpingWaitMs;
        const auto later = Clock::now();
        if (fTimeout > 0)
            waitMs = qMin(waitMs, millisUntil(deadline, later) + 1);
        if (OnPacketRead && transfer.packets() > reportedPackets)
            waitMs = qMin(waitMs, millisUntil(lastPacketEvent + kPacketCycle, later));
        if (OnTimer && fTimerIntervalSeconds > 0)
            waitMs = qMin(waitMs, millisUntil(lastTimer + seconds(fTimerIntervalSeconds), later));
        transfer.wait(waitMs);
    }

    m_responseHeaders = transfer.headerLines();
    m_cookies = transfer.cookieLines();
    switch (end) {
    case End::Completed:
        m_resultMs = transfer.takeBody();
        m_dwErrorX = transfer.errorCode();
        if (!transfer.errorText().isEmpty())
            m_errorMsg = transfer.errorText();
        break;
    case End::TimedOut:
        m_errorCode = 100;
        break;
    case End::Stopped:
        m_errorCode = 101;
        break;
    }
}

void TIEHttp::StopRequest(bool)
{
    if (m_workingStatus == 0)
        return;
    flagRequestToStop = true;
    std::lock_guard guard(m_transferLock);
    if (m_transfer)
        m_transfer->wakeup();
}

int TIEHttp::StatusCode() const
{
    if (m_responseHeaders.isEmpty() || !m_responseHeaders.first().startsWith(QLatin1String("HTTP/")))
        return 0;
    return m_responseHeaders.first().section(u' ', 1, 1).toInt();
}

QStringList &TIEHttp::ResultSl()
{
    if (!m_resultSlReady) {
        m_resultSl = SplitTextLines(DecodeResponseText(m_resultMs, m_responseHeaders.join(QLatin1String("\r\n"))));
        m_resultSlReady = true;
    }
    return m_resultSl;
}

QString TIEHttp::ResultText()
{
    QString text;
    for (const QString &line : ResultSl())
        text += line + QLatin1String("\r\n");
    return text;
}

double TIEHttp::GetProgress() const
{
    const qint64 size = m_contentSize;
    return size == 0 ? 0.0 : double(m_bytesReadTotal) / double(size);
}

QString TIEHttp::GetStringPercentage() const
{
    const QLocale locale;
    const qint64 size = m_contentSize;
    const QString percent = size == 0 ? QStringLiteral("[]")
                                      : locale.toString(GetProgressPercentage(), 'f', 0) + u'%';
    return QStringLiteral("Bytes Read: %1 \rTotal File Size: %2\rStatus: %3 done")
        .arg(locale.toString(qint64(m_bytesReadTotal)), locale.toString(size), percent);
}

void TIEHttp::AddRequestHeader(const QString &name, const QString &value)
{
    QString n = name.trimmed();
    if (n.endsWith(u':'))
        n.chop(1);
    DeleteRequestHeader(n);
    RequestHeaders.append(n + QLatin1String(": ") + value);
}

void TIEHttp::DeleteRequestHeader(const QString &name)
{
    const int idx = GetRequestHeaderIdx(name);
    if (idx >= 0)
        RequestHeaders.removeAt(idx);
}

int TIEHttp::GetRequestHeaderIdx(const QString &name) const
{
    return findHeader(RequestHeaders, name);
}

QString TIEHttp::GetRequestHeaderValue(const QString &name) const
{
    return headerValueAt(RequestHeaders, GetRequestHeaderIdx(name));
}

int TIEHttp::GetResponseHeaderIdx(const QString &name) const
{
    return findHeader(m_responseHeaders, name);
}

QString TIEHttp::GetResponseHeaderValue(const QString &name) const
{
    return headerValueAt(m_responseHeaders, GetResponseHeaderIdx(name));
}

void TIEHttp::AddMultipartVar(const QString &field, const QString &value)
{
    if (!fMultipartPOST) {
        m_errorMsg = QStringLiteral("TIEHttp not in multipart mode");
        return;
    }
    for (TMultipartVar &v : m_multipartVars) {
        if (v.field == field) {
            v.value = value;
            return;
        }
    }
    m_multipartVars.append({field, value});
}

void TIEHttp::AddMultipartVarBin(const QString &field, const QString &filename, const QByteArray &value)
{
    if (!fMultipartPOST) {
        m_errorMsg = QStringLiteral("TIEHttp not in multipart mode");
        return;
    }
    for (TMultipartBinaryVar &v : m_multipartBinaryVars) {
        if (v.field == field) {
            v.filename = filename;
            v.value = value;
            return;
        }
    }
    m_multipartBinaryVars.append({field, filename, value});
}

void TIEHttp::AddMultipartFormFile(const QString &field, const QString &filename)
{
    AddMultipartFormFile(field, filename, readWholeFile(filename));
}

void TIEHttp::AddMultipartFormFile(const QString &field, const QString &filename, const QByteArray &ms)
{
    AddMultipartVarBin(field, QFileInfo(filename).fileName(), ms);
}

void TIEHttp::AddMultipartStream(const QString &field, const QByteArray &ms)
{
    AddMultipartVar(field, Base64WithBreaks(ms));
}

void TIEHttp::AddMultipartFile(const QString &field, const QString &filename)
{
    AddMultipartVar(field, FileToB64String(filename));
}

void TIEHttp::AddMultipartVar_B64(const QString &field, const QString &value)
{
    AddMultipartVar(field, Base64WithBreaks(value.toUtf8()));
}

QString TIEHttp::FileToB64String(const QString &filename)
{
    return Base64WithBreaks(readWholeFile(filename));
}

bool TIEHttp::CheckIEOnline()
{
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

} // namespace orvix
