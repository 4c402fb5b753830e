#pragma once

// The stand-in for the maker's web service, started in-process by tests or by the makerservice
// executable. It listens on 127.0.0.1 only, answers the program's report, update, feedback and
// page-report addresses, keeps every request it was sent, and takes its replies from the
// options or, while it runs, from the setters (also reachable over HTTP, see README.md).
//
//     MakerService maker;
//     maker.setUpdate({{"latest version", "1.3.0 build:151"}});
//     maker.setInstaller("setup.bin", bytes);   // served at /files/setup.bin, named in the reply
//     maker.start();
//     ... the program posts ...
//     maker.waitForRequests("/AppException.aspx", 1, 5000);

#include "maker_forms.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

namespace orvix::makerservice {

class MakerServiceError
{
public:
    explicit MakerServiceError(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

struct RecordedRequest
{
    QString method;
    QString path;
    QString query;       // without "?"
    QList<QPair<QString, QString>> headers; // in the order received, names as sent
    QByteArray body;
    QList<FormField> fields; // decoded from the query (GET) or the form body (POST)
    int clientPort = 0;      // the same port on two requests means one kept connection
    QDateTime time;

    QString header(const QString &name) const; // first of that name, any case; empty when absent
    QByteArray field(const QString &name) const;
    QStringList fieldNames() const; // in the order sent
};

// A fixed answer for one path instead of the service's own: any status, body, content type
// and extra headers (e.g. Set-Cookie), after an optional stall.
struct CannedReply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/plain";
    QList<QPair<QByteArray, QByteArray>> headers;
    int stallMs = 0;
};

using UpdateSections = QList<QPair<QString, QString>>; // section name, value (lines)

struct MakerOptions
{
    int port = 0; // 0: a free one
    QString bind = QStringLiteral("127.0.0.1"); // nothing else is accepted
    UpdateSections update;           // empty: "latest version" 0.0.0 build:0
    QByteArray updateRaw;            // when set, sent as the update reply instead of sections
    QString installerName;           // served at /files/NAME
    QByteArray installer;
    QByteArray feedbackReply = "FEEDBACK_OK";
    QByteArray submitReply = "OK";
};

class MakerService
{
public:
    explicit MakerService(MakerOptions options = {});
    ~MakerService();
    MakerService(const MakerService &) = delete;
    MakerService &operator=(const MakerService &) = delete;

    void start(); // raises MakerServiceError
    void stop();
    int port() const;
    QString host() const;    // "127.0.0.1:PORT"
    QString baseUrl() const; // "http://" + host()

    // Replies, changeable while running.
    void setUpdate(const UpdateSections &sections);
    void setUpdateRaw(const QByteArray &text);
    // Served at /files/NAME; unless the sections give them, the update reply names its "url",
    // "size" and "sha256".
    void setInstaller(const QString &name, const QByteArray &bytes);
    void setFeedbackReply(const QByteArray &text);
    void setReply(const QString &path, const CannedReply &reply);
    void clearReplies();
    QByteArray updateReply() const; // what /CheckUpdates.aspx answers now

    QList<RecordedRequest> requests() const;
    QList<RecordedRequest> requests(const QString &path) const;
    void resetRequests();
    // Waits until count requests to path have come in; false after timeoutMs.
    bool waitForRequests(const QString &path, int count, int timeoutMs) const;
    QByteArray requestsJson() const;

private:
    class Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvix::makerservice
