#pragma once

// TWinHttpX: the small HTTP client through which the program talks to the maker's web service
// without a window (exception reports, the background update check). A client object is made
// for one job, used by one thread, and freed; it keeps its connection open between requests to
// the same host and port. No proxy by default: reports go straight out whatever the machine's
// proxy settings. HTTP statuses of 300 and more are results (errorCode), not exceptions.

#include "winhttp_common.h"

#include "engine/http_form.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

typedef void CURL;
typedef void CURLSH;

namespace orvix {

enum class THttpProtocolVersion { HTTPpv_1_0, HTTPpv_1_1 };
enum class THttpRequestMethod { HTTPrm_Get, HTTPrm_Post };
enum class TWinHttpAccessType { wHttpAt_NO_PROXY, wHttpAt_DEFAULT_PROXY, wHttpAt_NAMED_PROXY };

// Request options (a set, as bits).
enum TWinHttpClientInternetOption : unsigned {
    wHttpIo_Async = 1u << 0, // no effect
    wHttpIo_BYPASS_PROXY_CACHE = 1u << 1,
    wHttpIo_ESCAPE_DISABLE = 1u << 2,
    wHttpIo_ESCAPE_DISABLE_QUERY = 1u << 3,
    wHttpIo_ESCAPE_PERCENT = 1u << 4,
    wHttpIo_NULL_CODEPAGE = 1u << 5,
    wHttpIo_REFRESH = 1u << 6,
    wHttpIo_SECURE = 1u << 7,
    wHttpIo_Keep_connection = 1u << 8,
    wHttpIo_No_cookies = 1u << 9,
    wHttpIo_No_auto_redirect = 1u << 10,
};

struct TVariable
{
    QString _name;
    QString _value;
};

struct TBinaryVariable
{
    QString _name;
    QString _fileName;
    QByteArray _value;
};

// Sent as the request's user agent.
extern const char *const WinHttpUserAgent;

// "Invalid url '%s' - only supports 'http' and 'https' schemes" and the other texts of the
// client's failures.
class TWinHttpX
{
public:
    TWinHttpX();
    ~TWinHttpX(); // disconnects
    TWinHttpX(const TWinHttpX &) = delete;
    TWinHttpX &operator=(const TWinHttpX &) = delete;

    QString URL() const { return m_url; }
    // "host/path" is taken as "http://host/path"; another host or port drops the connection.
    // Raises EWinHttpClientException for a scheme other than http or https.
    void setURL(const QString &url);

    int ConnectTimeout = 0; // ms; 0 keeps the library's own
    int SendTimeout = 0;    // ms; 0: no limit (stored back as 2147483647 by a request)
    int ReceiveTimeout = 0;
    int UploadBufferSize() const { return m_uploadBufferSize; }
    void setUploadBufferSize(int bytes) { if (bytes >= 0) m_uploadBufferSize = bytes; }
    TWinHTTPClientProxyParams ProxyParams;
    TWinHTTPRequestHeader RequestHeader;
    THttpProtocolVersion ProtocolVersion = THttpProtocolVersion::HTTPpv_1_1;
    THttpRequestMethod RequestMethod = THttpRequestMethod::HTTPrm_Get;
    TWinHttpAccessType AccessType() const { return m_accessType; }
    void setAccessType(TWinHttpAccessType type);
    unsigned InternetOptions = wHttpIo_Keep_connection;

    std::function<void(qint64 sent, qint64 total)> OnUploadProgress;
    std::function<void(qint64 read, qint64 total)> OnDownloadProgress;
    std::function<void(const QString &newUrl)> OnRedirect;
    // Set from another thread, it ends the running request within about a second (the
    // request raises "Operation was aborted by an application callback").
    const std::atomic<bool> *StopWhen = nullptr;

    bool MultipartPost = false;
    QList<TVariable> PostVariables;
    QList<TBinaryVariable> PostBinaryVariables;

    // Results of the last run.
    QByteArray ResponseStream;     // decoded body
    const QByteArray &ResultMs() const { return ResponseStream; }
    QStringList ResultSl;          // the body as text lines
    TWinHTTPResponseHeader aResponseContentHeader;
    int errorCode = 0;             // the HTTP status when 300 or more, else 0
    QString errorMessage;          // its status text
    int WorkingStatus = 0;         // 1 inside a run
    QString ResponseText() const;  // the lines, each ended by CR LF

    void ExecuteUrl(const QString &url);
    void Execute() { ExecuteUrl(m_url); }
    void Get(const QString &url);
    void Post(const QString &url);

    // Text variables: a variable of the same name (exact) is replaced in place.
    void AddVariable(const QString &name, const QString &value);
    void AddMultipartVar(const QString &field, const QString &value) { AddVariable(field, value); }
    void AddMultipartVarW(const QString &field, const QString &value) { AddVariable(field, value); }
    // File variables, in multipart mode only ("TWinHttpX not in multipart mode").
    void AddMultipartVarBin(const QString &field, const QString &fileName, const QByteArray &bytes);
    void AddMultipartVarA(const QString &field, const QByteArray &bytes) { AddMultipartVarBin(field, {}, bytes); }
    void AddMultipartFormFile(const QString &fieldName, const QString &fileName);
    void AddMultipartFormFile(const QString &fieldName, const QString &fieldFileName, const QByteArray &stream);
    // Bytes as a text variable in Base64 with a CR after every 64 characters.
    void AddMultipartVar_B64(const QString &field, const QByteArray &bytes);
    void AddMultipartStream(const QString &field, const QByteArray &stream) { AddMultipartVar_B64(field, stream); }
    void AddMultipartFile(const QString &field, const QString &fileName);

    void Connect();
    void Disconnect();
    bool connected() const { return m_curl != nullptr; }

    // The bodies as the client builds them.
    QByteArray BuildFormBody() const;
    QByteArray BuildMultipartBody() const;

private:
    void PerformRequest();
    void Send(const QByteArray &body);
    void DecodeResponse();
    [[noreturn]] void raiseTransferError(int curlCode, const char *detail);

    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static size_t onRead(char *buffer, size_t size, size_t count, void *self);
    static int onProgress(void *self, qint64, qint64, qint64, qint64);

    QString m_url;
    QString m_scheme = QStringLiteral("http");
    QString m_host;
    int m_port = 80;
    QByteArray m_pathAndQuery;
    int m_uploadBufferSize = 32768;
    TWinHttpAccessType m_accessType = TWinHttpAccessType::wHttpAt_NO_PROXY;
    CURL *m_curl = nullptr;
    CURLSH *m_cookies = nullptr; // the session's cookie jar, a libcurl share kept across resets

    // State of the running exchange.
    QString m_headerBlock;
    qint64 m_contentLength = 0;
    const QByteArray *m_upload = nullptr;
    qint64 m_uploadPos = 0;
};

} // namespace orvix
