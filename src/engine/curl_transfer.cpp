#include "engine/curl_transfer.h"

#include "engine/cookie_jar.h"
#include "engine/wininet_errors.h"

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <mutex>

namespace orvix {

namespace {

constexpr int kMaxRedirects = 10;
// Large reads keep the per-read work (callbacks, wake-ups) small against the copying.
constexpr long kReadBufferSize = 131072;
// A server may announce any length; reserve no more than this up front.
constexpr qint64 kMaxReserve = 256 * 1024 * 1024;

CURL *easyOf(void *p) { return static_cast<CURL *>(p); }
CURLM *multiOf(void *p) { return static_cast<CURLM *>(p); }

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int certificateCode(long verifyResult)
{
    switch (verifyResult) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return ERR_SEC_CERT_DATE_INVALID;
    // curl checks the name itself once the chain is fine, and reports a mismatch as an
    // unspecified failure.
    case X509_V_OK:
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_HOSTNAME_MISMATCH:
        return ERR_SEC_CERT_CN_INVALID;
    default:
        return ERR_INVALID_CA;
    }
}

// Failure code for a curl result; 0 when the result is no failure or has no code of its own.
int wininetCodeFor(CURLcode rc, CURL *easy)
{
    long osErrno = 0;
    long verifyResult = 0;
    switch (rc) {
    case CURLE_OK:
    case CURLE_PARTIAL_FILE: // the caller compares the bytes read with the announced length
        return 0;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERR_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
        return ERR_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return ERR_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERR_CANNOT_CONNECT;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
        return ERR_INVALID_SERVER_RESPONSE;
    case CURLE_OPERATION_TIMEDOUT:
        return ERR_TIMEOUT;
    case CURLE_OUT_OF_MEMORY:
    case CURLE_WRITE_ERROR:
    case CURLE_FAILED_INIT:
        return ERR_INTERNAL_ERROR;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERR_REDIRECT_FAILED;
    case CURLE_LOGIN_DENIED:
        return ERR_LOGIN_FAILURE;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
        return osErrno == ECONNRESET ? ERR_CONNECTION_RESET : ERR_CONNECTION_ABORTED;
    case CURLE_PEER_FAILED_VERIFICATION:
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        return certificateCode(verifyResult);
    case CURLE_SSL_CACERT_BADFILE:
        return ERR_INVALID_CA;
    case CURLE_SSL_CERTPROBLEM:
        return ERR_CLIENT_AUTH_CERT_NEEDED;
    case CURLE_SSL_CONNECT_ERROR:
        return ERR_SECURITY_CHANNEL_ERROR;
    case CURLE_PROXY:
        return ERR_INVALID_PROXY_REQUEST;
    default:
        return 0;
    }
}

// Trusted authorities as the curl command line finds them in the environment.
void trustFromEnvironment(CURL *e)
{
    const QByteArray bundle = qgetenv("CURL_CA_BUNDLE");
    if (!bundle.isEmpty()) {
        curl_easy_setopt(e, CURLOPT_CAINFO, bundle.constData());
        return;
    }
    const QByteArray folder = qgetenv("SSL_CERT_DIR");
    if (!folder.isEmpty())
        curl_easy_setopt(e, CURLOPT_CAPATH, folder.constData());
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    if (!file.isEmpty())
        curl_easy_setopt(e, CURLOPT_CAINFO, file.constData());
}

// HOST:PORT of the proxy libcurl takes from the environment for url; empty when none is set.
QString environmentProxy(const QUrl &url)
{
    QByteArray value;
    if (url.scheme() == QLatin1String("http")) {
        value = qgetenv("http_proxy"); // only in lower case, as libcurl reads it
    } else {
        value = qgetenv("https_proxy");
        if (value.isEmpty())
            value = qgetenv("HTTPS_PROXY");
    }
    if (value.isEmpty())
        value = qgetenv("all_proxy");
    if (value.isEmpty())
        value = qgetenv("ALL_PROXY");
    if (value.isEmpty())
        return {};
    if (!value.contains("://"))
        value.prepend("http://");
    const QUrl proxy = QUrl::fromEncoded(value);
    return proxy.host() + u':' + QString::number(proxy.port(1080));
}

QByteArray headerName(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    return colon < 0 ? QByteArray() : line.left(colon).trimmed().toLower();
}

QByteArray headerValue(const QByteArray &line)
{
    return line.mid(line.indexOf(':') + 1).trimmed();
}

} // namespace

CurlTransfer::CurlTransfer(TransferRequest request) : m_request(std::move(request))
{
    globalInit();
    m_currentEncoded = m_request.url;
    m_currentUrl = QUrl::fromEncoded(m_request.url);
    m_multi = curl_multi_init();
    m_easy = curl_easy_init();
    CURL *e = easyOf(m_easy);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, m_curlError);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L); // bodies are decoded by our rules
    if (m_request.connectTimeoutMs > 0)
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(m_request.connectTimeoutMs));
    if (m_request.lowSpeedBytes > 0 && m_request.lowSpeedSeconds > 0) {
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, long(m_request.lowSpeedBytes));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(m_request.lowSpeedSeconds));
    }
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReadBufferSize);
    curl_easy_setopt(e, CURLOPT_USERAGENT, m_request.agent.constData());
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    if (!m_request.proxyUsername.isEmpty()) {
        curl_easy_setopt(e, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, m_request.proxyUsername.toLatin1().constData());
        curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, m_request.proxyPassword.toLatin1().constData());
    }
    if (!m_request.caCertificates.isEmpty())
        curl_easy_setopt(e, CURLOPT_CAINFO, m_request.caCertificates.toLocal8Bit().constData());
    else
        trustFromEnvironment(e);
    configureHop();
}

CurlTransfer::~CurlTransfer()
{
    curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
    curl_easy_cleanup(easyOf(m_easy));
    curl_multi_cleanup(multiOf(m_multi));
    curl_slist_free_all(m_headerList);
}

void CurlTransfer::configureHop()
{
    CURL *e = easyOf(m_easy);
    const bool post = m_request.method == "POST";
    curl_easy_setopt(e, CURLOPT_URL, m_currentEncoded.constData());
    if (post) {
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(m_request.body.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, m_request.body.constData());
    } else {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    }
    // Credentials from the address go to its own host only.
    const QUrl first = QUrl::fromEncoded(m_request.url);
    const bool sameHost = m_currentUrl.host() == first.host() && m_currentUrl.port() == first.port();
    if (sameHost && !m_request.username.isEmpty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, m_request.username.toUtf8().constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, m_request.password.toUtf8().constData());
    } else {
        curl_easy_setopt(e, CURLOPT_USERNAME, nullptr);
        curl_easy_setopt(e, CURLOPT_PASSWORD, nullptr);
    }

    curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
    for (const QByteArray &h : m_request.headers)
        m_headerList = curl_slist_append(m_headerList, h.constData());
    if (post && !m_request.contentType.isEmpty())
        m_headerList = curl_slist_append(m_headerList, "Content-Type: " + m_request.contentType);
    if (m_request.noCache) {
        m_headerList = curl_slist_append(m_headerList, "Pragma: no-cache");
        m_headerList = curl_slist_append(m_headerList, "Cache-Control: no-cache");
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, m_headerList);

    const QByteArray cookies = TCookieJar::instance().cookieHeaderForUrl(m_currentUrl);
    curl_easy_setopt(e, CURLOPT_COOKIE, cookies.isEmpty() ? nullptr : cookies.constData());

    m_status = 0;
    m_contentLength = -1;
    m_following = false;
    curl_multi_add_handle(multiOf(m_multi), e);
}

bool CurlTransfer::perform()
{
    if (m_finished)
        return true;
    int running = 0;
    curl_multi_perform(multiOf(m_multi), &running);
    int queued = 0;
    while (CURLMsg *msg = curl_multi_info_read(multiOf(m_multi), &queued)) {
        if (msg->msg != CURLMSG_DONE)
            continue;
        const CURLcode rc = msg->data.result;
        curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
        if (rc == CURLE_OK && m_following) {
            ++m_hops;
            // A 303, and a 301 or 302 after a form post, fetch the new address with GET.
            if (m_status != 307 && m_status != 308)
                m_request.method = "GET";
            m_currentUrl = m_redirectTo;
            m_currentEncoded = m_redirectTo.toEncoded();
            configureHop();
            return false;
        }
        finish(rc);
        return true;
    }
    return false;
}

void CurlTransfer::finish(int curlCode)
{
    m_finished = true;
    const CURLcode rc = CURLcode(curlCode);
    if (m_tooManyRedirects) {
        m_errorCode = ERR_REDIRECT_FAILED;
        return;
    }
    if (m_tooLarge) {
        m_errorText = QStringLiteral("the response is larger than %1 bytes").arg(m_request.maxBodyBytes);
        return;
    }
    if (m_sinkFailed) {
        m_errorText = QStringLiteral("the response could not be stored");
        return;
    }
    // A proxy that refused the tunnel, or that wants credentials, is named: the server was
    // never asked.
    long connectCode = 0;
    curl_easy_getinfo(easyOf(m_easy), CURLINFO_HTTP_CONNECTCODE, &connectCode);
    const long proxyStatus = connectCode >= 300 ? connectCode : (m_status == 407 ? 407 : 0);
    if (proxyStatus > 0) {
        QString proxy = environmentProxy(m_currentUrl);
        if (proxy.isEmpty()) {
            char *ip = nullptr;
            long port = 0;
            curl_easy_getinfo(easyOf(m_easy), CURLINFO_PRIMARY_IP, &ip);
            curl_easy_getinfo(easyOf(m_easy), CURLINFO_PRIMARY_PORT, &port);
            proxy = QString::fromLatin1(ip ? ip : "") + u':' + QString::number(port);
        }
        m_errorText = QStringLiteral("%1 from proxy %2").arg(proxyStatus).arg(proxy);
        return;
    }
    m_errorCode = wininetCodeFor(rc, easyOf(m_easy));
    if (m_errorCode == 0 && rc != CURLE_OK && rc != CURLE_PARTIAL_FILE)
        m_errorText = QString::fromUtf8(m_curlError[0] ? m_curlError : curl_easy_strerror(rc));
}

void CurlTransfer::wait(int ms)
{
    if (!m_finished)
        curl_multi_poll(multiOf(m_multi), nullptr, 0, ms, nullptr);
}

void CurlTransfer::wakeup()
{
    curl_multi_wakeup(multiOf(m_multi));
}

size_t CurlTransfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<CurlTransfer *>(self);
    const size_t n = size * count;
    t->m_lastData = Clock::now();
    QByteArray line(data, qsizetype(n));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    t->headerLine(line);
    return t->m_tooLarge ? 0 : n; // 0 ends the transfer before any of the body is read
}

void CurlTransfer::headerLine(QByteArray line)
{
    if (line.startsWith("HTTP/")) {
        // Each response of the exchange (redirects, interim answers) starts a new header block.
        m_headerLines = {QString::fromLatin1(line)};
        m_cookieLines.clear();
        ++m_headerBlocks;
        const QList<QByteArray> words = line.split(' ');
        m_status = words.size() > 1 ? words[1].toInt() : 0;
        m_contentLength = -1;
        m_redirectTo.clear();
        m_headersDone = false;
        return;
    }
    if (!line.isEmpty()) {
        m_headerLines.append(QString::fromLatin1(line));
        const QByteArray name = headerName(line);
        if (name == "set-cookie") {
            m_cookieLines.append(QString::fromLatin1(headerValue(line)));
            TCookieJar::instance().setCookiesFromResponse(headerValue(line), m_currentUrl);
        } else if (name == "content-length") {
            bool ok = false;
            const qint64 length = headerValue(line).toLongLong(&ok);
            if (ok && length >= 0)
                m_contentLength = length;
        } else if (name == "location") {
            m_redirectTo = m_currentUrl.resolved(QUrl::fromEncoded(headerValue(line)));
        }
        return;
    }
    if (m_status >= 100 && m_status < 200)
        return;
    const QString scheme = m_redirectTo.scheme();
    if (isRedirect(m_status) && m_redirectTo.isValid()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))) {
        if (m_hops < kMaxRedirects) {
            m_following = true;
            return;
        }
        m_tooManyRedirects = true;
    }
    m_headersDone = true;
    if (m_contentLength > m_request.maxBodyBytes)
        m_tooLarge = true;
    else if (m_contentLength > 0 && !m_request.bodySink)
        m_body.reserve(qMin(m_contentLength, kMaxReserve));
}

size_t CurlTransfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *t = static_cast<CurlTransfer *>(self);
    const size_t n = size * count;
    t->m_lastData = Clock::now();
    if (t->m_following)
        return n; // the body of a redirect is not wanted
    if (t->m_bytesRead + qint64(n) > t->m_request.maxBodyBytes) {
        t->m_tooLarge = true;
        return 0; // ends the transfer
    }
    if (t->m_request.bodySink) {
        if (!t->m_request.bodySink(data, qint64(n))) {
            t->m_sinkFailed = true;
            return 0;
        }
    } else {
        t->m_body.append(data, qsizetype(n));
    }
    t->m_bytesRead += qint64(n);
    ++t->m_packets;
    return n;
}

} // namespace orvix
