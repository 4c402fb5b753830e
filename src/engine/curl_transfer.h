#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>

struct curl_slist;

namespace orvix {

// Everything one request sends.
struct TransferRequest
{
    QByteArray method = "GET";  // "GET" or "POST"
    QByteArray url;             // absolute and encoded
    QString username;
    QString password;
    QList<QByteArray> headers;  // "Name: value" lines, sent as given
    QByteArray contentType;     // empty: no Content-Type header
    QByteArray body;            // sent with POST
    QByteArray agent;
    QString proxyUsername;      // the proxy itself comes from the environment (http_proxy...)
    QString proxyPassword;
    QString caCertificates;     // file of trusted authorities; empty: CURL_CA_BUNDLE,
                                // SSL_CERT_FILE / SSL_CERT_DIR, else the system's
    bool noCache = true;        // ask caches on the way for a fresh copy
    qint64 maxBodyBytes = qint64(64) << 20; // a larger body (or announced length) fails the request
    // Reaching the server may take this long (0: libcurl's own limit).
    int connectTimeoutMs = 15000;
    // A transfer slower than lowSpeedBytes per second for lowSpeedSeconds fails (0: never).
    int lowSpeedBytes = 1024;
    int lowSpeedSeconds = 60;
    // When set, body bytes go here as they arrive instead of into memory; false stops the
    // transfer as failed (the sink keeps its own reason).
    std::function<bool(const char *data, qint64 size)> bodySink;
};

// One HTTP/1.0 exchange on libcurl, driven step by step by its owner so that the owner's
// thread stays in charge of time-outs, progress events and stopping. Redirects are followed
// here, hop by hop, so each hop sends the cookies of its own host. Cookies received are
// stored in the process's jar as they arrive.
class CurlTransfer
{
public:
    using Clock = std::chrono::steady_clock;

    explicit CurlTransfer(TransferRequest request);
    ~CurlTransfer(); // aborts the exchange when it has not finished
    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

    // Moves the exchange on as far as it can without waiting. True once it has ended.
    bool perform();
    // Waits up to ms for network activity or wakeup().
    void wait(int ms);
    // Ends a wait early; callable from any thread.
    void wakeup();

    qint64 bytesRead() const { return m_bytesRead; }
    quint64 packets() const { return m_packets; }
    Clock::time_point lastData() const { return m_lastData; }
    bool headersDone() const { return m_headersDone; }
    // Counts the header blocks received: a proxy's answer to a tunnel request comes before the
    // server's, so headers taken while an earlier block was done must be taken again.
    int headerBlocks() const { return m_headerBlocks; }
    const QStringList &headerLines() const { return m_headerLines; } // status line first
    const QStringList &cookieLines() const { return m_cookieLines; } // Set-Cookie values
    QByteArray takeBody() { return std::exchange(m_body, {}); }

    // After the end: a failure code (see wininet_errors.h) or 0; a failure without a code
    // has only errorText().
    int errorCode() const { return m_errorCode; }
    QString errorText() const { return m_errorText; }

private:
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    void headerLine(QByteArray line);
    void configureHop();
    void finish(int curlCode);

    TransferRequest m_request;
    QByteArray m_currentEncoded; // as sent; the first hop exactly as the caller built it
    QUrl m_currentUrl;
    void *m_multi = nullptr; // CURLM
    void *m_easy = nullptr;  // CURL
    curl_slist *m_headerList = nullptr;
    char m_curlError[256] = {};
    int m_hops = 0;
    int m_status = 0;
    qint64 m_contentLength = -1;
    QUrl m_redirectTo;
    bool m_following = false;
    bool m_tooManyRedirects = false;
    bool m_headersDone = false;
    bool m_finished = false;
    bool m_tooLarge = false;
    bool m_sinkFailed = false;
    int m_headerBlocks = 0;
    QByteArray m_body;
    qint64 m_bytesRead = 0;
    quint64 m_packets = 0;
    Clock::time_point m_lastData = Clock::now();
    QStringList m_headerLines;
    QStringList m_cookieLines;
    int m_errorCode = 0;
    QString m_errorText;
};

} // namespace orvix
