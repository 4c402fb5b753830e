#include "winhttp_x.h"

#include "engine/http_decode.h"
#include "engine/http_url.h"
#include "foundation/text.h"
#include "foundation/url_encode.h"

#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

namespace orvix {

const char *const WinHttpUserAgent =
    "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; Mozilla/4.0 (compatible; MSIE 6.0; "
    "Windows NT 5.1; SV1) ; InfoPath.2; .NET CLR 3.0.04506.648; .NET CLR 2.0.50727; .NET CLR 3.0.4506.2152; "
    ".NET CLR 3.5.30729; WWTClient2; .NET4.0C; .NET4.0E)";

namespace {

constexpr int kNoLimit = 2147483647;

QString invalidUrl(const QString &url)
{
    return QStringLiteral("Invalid url '%1' - only supports 'http' and 'https' schemes").arg(url);
}

// The texts users have always seen for the common transport failures.
QString transferErrorText(int code)
{
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("A connection with the server could not be established");
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("The server name or address could not be resolved");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("The operation timed out");
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return QStringLiteral("The connection with the server was terminated abnormally");
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("A certificate is invalid or the server's name does not match it");
    default:
        return QString::fromUtf8(curl_easy_strerror(CURLcode(code)));
    }
}

} // namespace

TWinHttpX::TWinHttpX()
{
    RequestHeader.setValue(rhUserAgent, QStringLiteral("Mozilla/3.0 (compatible; THTTPClient)"));
    // A new agent or proxy needs a new session.
    RequestHeader.OnChange = [this](int index) {
        if (index == rhUserAgent || index == -1)
            Disconnect();
    };
    ProxyParams.OnChange = [this](int index) {
        if (index <= TWinHTTPClientProxyParams::Port)
            Disconnect();
    };
    RequestHeader.setValue(rhUserAgent, QString::fromLatin1(WinHttpUserAgent));
}

TWinHttpX::~TWinHttpX()
{
    RequestHeader.OnChange = nullptr;
    ProxyParams.OnChange = nullptr;
    Disconnect();
}

void TWinHttpX::setURL(const QString &url)
{
    if (url == m_url)
        return;
    QString value = url;
    if (!value.isEmpty() && !value.contains(QStringLiteral("://")))
        value.prepend(QStringLiteral("http://"));
    QString scheme = QStringLiteral("http"), host;
    int port = 80;
    QByteArray pathAndQuery;
    if (!value.isEmpty()) {
        const HttpUrlParts parts = CrackHttpUrl(value);
        if (!parts.error.isEmpty() || parts.host.isEmpty())
            throw EWinHttpClientException(invalidUrl(value));
        scheme = parts.scheme;
        host = parts.host;
        port = parts.port;
        pathAndQuery = parts.pathEncoded + parts.query;
    }
    if (host != m_host || port != m_port)
        Disconnect();
    m_scheme = scheme;
    m_host = host;
    m_port = port;
    m_pathAndQuery = pathAndQuery;
    m_url = value;
}

void TWinHttpX::setAccessType(TWinHttpAccessType type)
{
    if (type == m_accessType)
        return;
    m_accessType = type;
    Disconnect();
}

QString TWinHttpX::ResponseText() const
{
    QString text;
    for (const QString &line : ResultSl)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TWinHttpX::ExecuteUrl(const QString &url)
{
    if (MultipartPost)
        RequestMethod = THttpRequestMethod::HTTPrm_Post;
    if (RequestMethod == THttpRequestMethod::HTTPrm_Post)
        Post(url);
    else
        Get(url);
}

void TWinHttpX::Get(const QString &url)
{
    setURL(url);
    RequestMethod = THttpRequestMethod::HTTPrm_Get;
    PerformRequest();
}

void TWinHttpX::Post(const QString &url)
{
    setURL(url);
    RequestMethod = THttpRequestMethod::HTTPrm_Post;
    RequestHeader.setValue(rhContentType, MultipartPost ? QStringLiteral("multipart/form-data; boundary=") + QLatin1String(MultipartBoundary)
                                                        : QStringLiteral("application/x-www-form-urlencoded"));
    PerformRequest();
}

void TWinHttpX::AddVariable(const QString &name, const QString &value)
{
    for (TVariable &v : PostVariables)
        if (v._name == name) {
            v._value = value;
            return;
        }
    PostVariables.append({name, value});
}

void TWinHttpX::AddMultipartVarBin(const QString &field, const QString &fileName, const QByteArray &bytes)
{
    if (!MultipartPost)
        throw EOrvix(QStringLiteral("TWinHttpX not in multipart mode"));
    for (TBinaryVariable &v : PostBinaryVariables)
        if (v._name == field) {
            v = {field, fileName, bytes};
            return;
        }
    PostBinaryVariables.append({field, fileName, bytes});
}

void TWinHttpX::AddMultipartFormFile(const QString &fieldName, const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EOrvix(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    AddMultipartVarBin(fieldName, QFileInfo(fileName).fileName(), f.readAll());
}

void TWinHttpX::AddMultipartFormFile(const QString &fieldName, const QString &fieldFileName, const QByteArray &stream)
{
    AddMultipartVarBin(fieldName, QFileInfo(fieldFileName).fileName(), stream);
}

void TWinHttpX::AddMultipartVar_B64(const QString &field, const QByteArray &bytes)
{
    AddVariable(field, Base64WithBreaks(bytes));
}

void TWinHttpX::AddMultipartFile(const QString &field, const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EOrvix(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    AddMultipartVar_B64(field, f.readAll());
}

QByteArray TWinHttpX::BuildFormBody() const
{
    QByteArray body;
    for (const TVariable &v : PostVariables) {
        if (!body.isEmpty())
            body += '&';
        body += v._name.toLatin1() + '=' + UrlEncodeValue(v._value).toLatin1();
    }
    return body;
}

QByteArray TWinHttpX::BuildMultipartBody() const
{
    QList<TMultipartVar> text;
    for (const TVariable &v : PostVariables)
        text.append({v._name, v._value});
    QList<TMultipartBinaryVar> files;
    for (const TBinaryVariable &v : PostBinaryVariables)
        files.append({v._name, v._fileName, v._value});
    QByteArray body;
    const QString error = orvix::BuildMultipartBody({}, text, files, body);
    if (!error.isEmpty())
        throw EOrvix(error);
    return body;
}

void TWinHttpX::Connect()
{
    if (m_curl)
        return;
    m_curl = curl_easy_init();
    m_cookies = curl_share_init();
    if (!m_curl || !m_cookies
        || curl_share_setopt(m_cookies, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
        Disconnect();
        throw EWinHttpClientException(QStringLiteral("Not enough memory - URL:") + m_url);
    }
}

void TWinHttpX::Disconnect()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
    m_curl = nullptr;
    if (m_cookies)
        curl_share_cleanup(m_cookies); // after the handle that used it
    m_cookies = nullptr;
}

void TWinHttpX::PerformRequest()
{
    if (m_url.isEmpty())
        throw EWinHttpClientException(QStringLiteral("Empty URL"));
    WorkingStatus = 1;
    ResponseStream.clear();
    ResultSl.clear();
    try {
        const QByteArray body = MultipartPost ? BuildMultipartBody() : BuildFormBody();
        Send(body);
        DecodeResponse();
    } catch (...) {
        WorkingStatus = 0;
        throw;
    }
    WorkingStatus = 0;
}

size_t TWinHttpX::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *c = static_cast<TWinHttpX *>(self);
    const QString line = QString::fromLatin1(data, qsizetype(size * count));
    // A new status line starts the headers of the next hop or of the final answer.
    if (line.startsWith(QStringLiteral("HTTP/")))
        c->m_headerBlock.clear();
    c->m_headerBlock += line;
    if (c->OnRedirect && line.startsWith(QStringLiteral("Location:"), Qt::CaseInsensitive)
        && !(c->InternetOptions & wHttpIo_No_auto_redirect))
        c->OnRedirect(TextTrim(line.mid(9)));
    return size * count;
}

size_t TWinHttpX::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *c = static_cast<TWinHttpX *>(self);
    c->ResponseStream.append(data, qsizetype(size * count));
    if (c->OnDownloadProgress) {
        curl_off_t length = -1;
        curl_easy_getinfo(c->m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        c->OnDownloadProgress(c->ResponseStream.size(), length < 0 ? 0 : qint64(length));
    }
    return size * count;
}

// Bodies above the upload buffer go out in pieces of at most that size.
size_t TWinHttpX::onRead(char *buffer, size_t size, size_t count, void *self)
{
    auto *c = static_cast<TWinHttpX *>(self);
    const qint64 left = c->m_upload->size() - c->m_uploadPos;
    const qint64 n = std::min<qint64>({left, qint64(size * count), qint64(c->m_uploadBufferSize)});
    memcpy(buffer, c->m_upload->constData() + c->m_uploadPos, size_t(n));
    c->m_uploadPos += n;
    if (c->OnUploadProgress)
        c->OnUploadProgress(c->m_uploadPos, c->m_upload->size());
    return size_t(n);
}

void TWinHttpX::raiseTransferError(int curlCode, const char *detail)
{
    QString text = transferErrorText(curlCode);
    if (curlCode == CURLE_READ_ERROR)
        text = QStringLiteral("Invalid HTTP Request: Length is 0");
    else if (detail && *detail && curlCode != CURLE_COULDNT_CONNECT && curlCode != CURLE_COULDNT_RESOLVE_HOST)
        text += QStringLiteral(" (") + QString::fromUtf8(detail) + u')';
    Disconnect();
    if (curlCode == CURLE_READ_ERROR)
        throw EWinHttpClientException(text);
    throw EWinHttpClientException(QStringLiteral("%1 - URL:%2").arg(text, m_url));
}

void TWinHttpX::Send(const QByteArray &requestBody)
{
    Connect();
    if (MultipartPost && RequestMethod != THttpRequestMethod::HTTPrm_Post)
        throw EOrvix(QStringLiteral("RequestMethod must be POST in MultipartPost"));
    CURL *h = m_curl;
    // Reset forgets, without freeing, the cookie-file name the last request gave; naming none
    // frees it first. The session's cookies live in the share and stay.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, static_cast<char *>(nullptr));
    curl_easy_reset(h); // keeps the open connection
    const QByteArray url = (m_scheme + QStringLiteral("://")).toLatin1()
                           + (m_host.contains(u':') ? '[' + m_host.toLatin1() + ']' : m_host.toLatin1())
                           + ':' + QByteArray::number(m_port) + m_pathAndQuery;
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, ProtocolVersion == THttpProtocolVersion::HTTPpv_1_0
                                                  ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    const QByteArray proxy = ProxyParams.ProxyServer().isEmpty() ? QByteArray()
        : ProxyParams.ProxyServer().toLatin1() + ':' + QByteArray::number(ProxyParams.ProxyPort());
    const QByteArray bypass = ProxyParams.ProxyBypass().toLatin1();
    const QByteArray proxyUser = ProxyParams.ProxyUserName().toUtf8();
    const QByteArray proxyPassword = ProxyParams.ProxyPassword().toUtf8();
    switch (m_accessType) {
    case TWinHttpAccessType::wHttpAt_NO_PROXY:
        curl_easy_setopt(h, CURLOPT_PROXY, ""); // not even the environment's
        break;
    case TWinHttpAccessType::wHttpAt_DEFAULT_PROXY:
        break; // the environment's, as the machine is set up
    case TWinHttpAccessType::wHttpAt_NAMED_PROXY:
        curl_easy_setopt(h, CURLOPT_PROXY, proxy.constData());
        if (!bypass.isEmpty())
            curl_easy_setopt(h, CURLOPT_NOPROXY, bypass.constData());
        break;
    }
    if (!proxyUser.isEmpty())
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, proxyUser.constData());
    if (!proxyPassword.isEmpty())
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
    if (ConnectTimeout > 0)
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeout));
    if (SendTimeout == 0)
        SendTimeout = kNoLimit;
    if (ReceiveTimeout == 0)
        ReceiveTimeout = kNoLimit;
    // A peer that sends nothing for the receive time-out fails the request.
    if (ReceiveTimeout < kNoLimit) {
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(std::max(1, ReceiveTimeout / 1000)));
    }
    if (!(InternetOptions & wHttpIo_Keep_connection))
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    // The session's own cookies: the share keeps them across resets, the empty file name turns
    // the engine on.
    if (!(InternetOptions & wHttpIo_No_cookies)) {
        curl_easy_setopt(h, CURLOPT_SHARE, m_cookies);
        curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    } else {
        curl_easy_setopt(h, CURLOPT_SHARE, nullptr);
    }
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, (InternetOptions & wHttpIo_No_auto_redirect) ? 0L : 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    // Bodies stay as the server sent them; DecodeResponse reads them.
    curl_easy_setopt(h, CURLOPT_HTTP_CONTENT_DECODING, 0L);

    // The header record decides every header; the library adds none of its own choosing.
    curl_slist *headers = nullptr;
    for (const QString &line : RequestHeader.RawHeaderText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        headers = curl_slist_append(headers, line.toLatin1().constData());
    const std::pair<int, const char *> suppressed[] = {
        {rhAccept, "Accept:"}, {rhContentType, "Content-Type:"}, {rhExpect, "Expect:"}, {rhUserAgent, "User-Agent:"}};
    for (const auto &[index, emptyHeader] : suppressed)
        if (TextTrim(RequestHeader.value(index)).isEmpty())
            headers = curl_slist_append(headers, emptyHeader);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);

    // An empty body goes out as one space, for GET too.
    const QByteArray body = requestBody.isEmpty() ? QByteArray(" ") : requestBody;
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    if (RequestMethod == THttpRequestMethod::HTTPrm_Get)
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    m_upload = &body;
    m_uploadPos = 0;
    if (body.size() > m_uploadBufferSize && m_uploadBufferSize > 0) {
        curl_easy_setopt(h, CURLOPT_READFUNCTION, &TWinHttpX::onRead);
        curl_easy_setopt(h, CURLOPT_READDATA, this);
    } else {
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.constData());
    }
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &TWinHttpX::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &TWinHttpX::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    if (StopWhen) {
        // The library calls this at least once a second, also while the server says nothing.
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &TWinHttpX::onProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);

    m_headerBlock.clear();
    const CURLcode code = curl_easy_perform(h);
    curl_slist_free_all(headers);
    m_upload = nullptr;
    if (code != CURLE_OK)
        raiseTransferError(code, errorBuffer);

    aResponseContentHeader.setRawHeaderText(m_headerBlock);
    errorCode = 0;
    errorMessage.clear();
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300) {
        errorCode = int(status);
        errorMessage = aResponseContentHeader.ReasonPhrase;
    }
}

int TWinHttpX::onProgress(void *self, qint64, qint64, qint64, qint64)
{
    const std::atomic<bool> *stop = static_cast<TWinHttpX *>(self)->StopWhen;
    return stop && *stop ? 1 : 0;
}

void TWinHttpX::DecodeResponse()
{
    const QString contentType = aResponseContentHeader.ContentType();
    if (LooksCompressed(ResponseStream)) {
        // The service marks gzip bodies with a content type starting "gzip".
        const QChar first = contentType.startsWith(QStringLiteral("gzip"), Qt::CaseInsensitive) ? u'G' : u'Z';
        try {
            ResponseStream = DecodeResponseBody(ResponseStream, first);
        } catch (const EOrvix &) {
            // Neither way reads it: the body stays as it came.
        }
    }
    ResultSl = SplitTextLines(DecodeResponseText(ResponseStream, contentType));
}

} // namespace orvix
