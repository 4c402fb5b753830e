#pragma once

#include "engine/http_form.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>

namespace orvix {

class CurlTransfer;
struct TransferRequest;

// One HTTP request at a time: GET, POST with a form body, or POST with a multipart body.
// Execute() runs the exchange on the calling thread and stays in charge while it runs: it ends
// a request that receives nothing for Timeout() seconds (ErrorCode() 100, empty body, no
// exception), raises OnPacketRead at most once per wait cycle and OnTimer every
// TimerIntervalSeconds(), and honours StopRequest() from those events or from another thread
// (ErrorCode() 101). Failures raise EOrvix: "Wininet error # <code> : <text>" for transport
// failures, "TIEHttp error: <ErrorMsg>" for the client's own. HTTP status codes are not
// examined: an error page is returned as a body. Every request uses the process's cookie jar.
class TIEHttp
{
public:
    using Event = std::function<void(TIEHttp &sender)>;

    TIEHttp();
    ~TIEHttp();
    TIEHttp(const TIEHttp &) = delete;
    TIEHttp &operator=(const TIEHttp &) = delete;

    // Request parameters. PostStr, GetStr, RequestMethod and MultipartPOST cannot change while
    // a request runs (from one of its events).
    QString URL() const { return fUrl; }
    void setURL(const QString &url);
    QString PostStr() const { return fPostStr; }
    void setPostStr(const QString &value); // form fields for the next POST, then cleared
    QString GetStr() const { return fGetStr; }
    void setGetStr(const QString &value);  // query fields for the next GET, then cleared
    int Timeout() const { return fTimeout; }
    void setTimeout(int seconds) { fTimeout = seconds; } // 0 or less: never time out
    int TimerIntervalSeconds() const { return fTimerIntervalSeconds; }
    void setTimerIntervalSeconds(int seconds) { fTimerIntervalSeconds = seconds; }
    bool BlockingMode() const { return fBlockingMode; }
    void setBlockingMode(bool blocking) { fBlockingMode = blocking; } // false: pumps Qt events
    QString RequestMethod() const { return fRequestMethod; }
    void setRequestMethod(const QString &method);
    bool MultipartPOST() const { return fMultipartPOST; }
    void setMultipartPOST(bool multipart);

    Event OnPacketRead; // data arrived since the last call; runs on the calling thread
    Event OnTimer;

    bool ForceHttpReload = true; // ask caches on the way for a fresh copy
    QString HttpAgentString = QStringLiteral("TIEHttp");
    QString ContentType;         // sent with POST; set by RequestMethod and MultipartPOST
    QString proxyUsername;       // the proxy itself comes from the environment
    QString proxyPassword;
    QChar UnzipMethod;           // 'G': try gzip first on compressed bodies; else zlib first
    QStringList RequestHeaders;  // "Name: value" lines, kept across requests
    QString CaCertificates;      // file of trusted authorities added for secure requests
    // A larger body, or a larger announced length, fails the request: memory stays bounded
    // whatever a server sends. Decompressed output has the same kind of limit.
    qint64 MaxResponseBytes = qint64(64) << 20;
    // Reaching the server has its own, shorter limit inside Timeout(): a host that drops
    // packets costs seconds, not minutes.
    int ConnectTimeoutSeconds = 15;
    // A body that trickles in slower than LowSpeedBytes a second for LowSpeedSeconds fails,
    // however regularly it moves (0: never).
    int LowSpeedBytes = 1024;
    int LowSpeedSeconds = 60;
    // When set, the body goes here as it arrives (ResultMs() stays empty and nothing is
    // decoded); false ends the request with an error.
    std::function<bool(const char *data, qint64 size)> BodySink;
    // When set and true, the running request stops as by StopRequest() (checked every wait cycle).
    const std::atomic<bool> *StopWhen = nullptr;
    // An answer with a status of 400 or more raises "TIEHttp error: HTTP <status>" (its body is
    // kept) instead of passing for a page.
    bool FailOnHttpError = false;

    void ExecuteUrl(const QString &url);
    void Execute();
    void StopRequest(bool wait = false); // any thread; the argument is kept for callers
    bool Canceled() const { return ErrorCode() == 101; }

    // Results of the last request.
    int ErrorCode() const { return m_errorCode; }     // 0, 100 after a time-out, 101 after a stop
    int StatusCode() const;                           // of the answer's status line, 0 without one
    int DWErrorX() const { return m_dwErrorX; }       // failure code, 0 if none
    QString ErrorMsg() const { return m_errorMsg; }
    int WorkingStatus() const { return m_workingStatus; } // 1 while Execute runs
    qint64 BytesReadTotal() const { return m_bytesReadTotal; }
    qint64 ContentSize() const { return m_contentSize; } // 1 when the server sent no length
    const QByteArray &ResultMs() const { return m_resultMs; }
    const QByteArray &ResultRaw() const { return m_resultMs; }
    QStringList &ResultSl();     // body text in lines, decoded on first use
    QString ResultText();        // the lines, each followed by CR LF
    const QStringList &Cookies() const { return m_cookies; }
    const QStringList &ResponseHeaders() const { return m_responseHeaders; } // status line first
    int debugTotalPackets() const { return m_debugTotalPackets; }
    int debugTotalPacketEvents() const { return m_debugTotalPacketEvents; }
    int debugTotalTimerEvents() const { return m_debugTotalTimerEvents; }

    double GetProgress() const;
    double GetProgressPercentage() const { return GetProgress() * 100.0; }
    QString GetStringPercentage() const;

    void AddRequestHeader(const QString &name, const QString &value);
    void DeleteRequestHeader(const QString &name);
    int GetRequestHeaderIdx(const QString &name) const;
    QString GetRequestHeaderValue(const QString &name) const;
    int GetResponseHeaderIdx(const QString &name) const;
    QString GetResponseHeaderValue(const QString &name) const;

    // Multipart fields for the next request (cleared after every request). Outside multipart
    // mode they only set ErrorMsg to "TIEHttp not in multipart mode".
    void AddMultipartVar(const QString &field, const QString &value);
    void AddMultipartVarW(const QString &field, const QString &value) { AddMultipartVar(field, value); }
    void AddMultipartVarBin(const QString &field, const QString &filename, const QByteArray &value);
    void AddMultipartFormFile(const QString &field, const QString &filename);
    void AddMultipartFormFile(const QString &field, const QString &filename, const QByteArray &ms);
    // Text fields holding bytes in Base64 with a CR after every 64 characters.
    void AddMultipartStream(const QString &field, const QByteArray &ms);
    void AddMultipartFile(const QString &field, const QString &filename);
    void AddMultipartVar_B64(const QString &field, const QString &value);
    static QString FileToB64String(const QString &filename);
    const QList<TMultipartVar> &MultipartVars() const { return m_multipartVars; }
    const QList<TMultipartBinaryVar> &MultipartBinaryVars() const { return m_multipartBinaryVars; }

    // True when the machine has a network interface that is up, other than loopback.
    static bool CheckIEOnline();

private:
    void ensureIdle(const char *message) const;
    bool prepareRequest(TransferRequest &request);
    void runTransfer(TransferRequest &&request);
    void resetResults();

    QString fUrl;
    QString fPostStr;
    QString fGetStr;
    QString fRequestMethod = QStringLiteral("GET");
    bool fMultipartPOST = false;
    int fTimeout = 90;
    int fTimerIntervalSeconds = 0;
    bool fBlockingMode = true;

    // Parts of the current URL.
    QString _scheme;
    QString _hostName;
    int _port = 0;
    QString _username;
    QString _password;
    QString _urlPath;
    QByteArray _urlPathEncoded;
    QByteArray _extraInfoAnsi; // the URL's re-encoded query, with its "?"
    QString _urlError;         // error of the last URL setting, checked before a request

    QList<TMultipartVar> m_multipartVars;
    QList<TMultipartBinaryVar> m_multipartBinaryVars;

    std::atomic<int> m_workingStatus{0};
    std::atomic<int> m_errorCode{0};
    std::atomic<int> m_dwErrorX{0};
    std::atomic<qint64> m_bytesReadTotal{0};
    std::atomic<qint64> m_contentSize{0};
    std::atomic<bool> flagRequestToStop{false};
    QString m_errorMsg;
    QByteArray m_resultMs;
    QStringList m_resultSl;
    bool m_resultSlReady = true;
    QStringList m_cookies;
    QStringList m_responseHeaders;
    int m_debugTotalPackets = 0;
    int m_debugTotalPacketEvents = 0;
    int m_debugTotalTimerEvents = 0;

    // The running exchange, reachable by StopRequest() from other threads.
    std::mutex m_transferLock;
    CurlTransfer *m_transfer = nullptr;
};

} // namespace orvix
