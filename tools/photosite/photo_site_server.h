#pragma once

// The simulated photo site as a server that tests start in-process: it listens on 127.0.0.1 on
// a free port, serves the generated site from a background thread, injects faults on demand,
// logs what it was asked for and tells the truth about its content through the manifest.
//
//     PhotoSiteServer site;            // default options, port chosen by the system
//     site.start();
//     fetch(site.baseUrl() + "/photos/alma/");
//     const Manifest &truth = site.manifest();
//     site.addFault(parseFaultRule("/photos/*=500x2"));   // fails twice, then works
//
// Control addresses (for programs outside the process): GET /__manifest, GET /__requests,
// GET or POST /__requests/reset, GET /__faults, POST /__faults (JSON or PATTERN=KIND[:ARG][xN]),
// DELETE /__faults or GET/POST /__faults/clear, GET /__rendered/PATH (the page after its scripts).

#include "faults.h"
#include "manifest.h"
#include "request_log.h"
#include "site_model.h"

#include <memory>

namespace orvix::photosite {

struct ServerOptions
{
    SiteOptions site;
    QString bind = QStringLiteral("127.0.0.1"); // nothing else is accepted
    int port = 0;                                // 0: a free port
    QString host; // written into absolute links; empty: 127.0.0.1:PORT
    QList<FaultRule> faults;
};

class PhotoSiteServer
{
public:
    explicit PhotoSiteServer(ServerOptions options = {});
    ~PhotoSiteServer(); // stops the server
    PhotoSiteServer(const PhotoSiteServer &) = delete;
    PhotoSiteServer &operator=(const PhotoSiteServer &) = delete;

    // Raises PhotoSiteError when the address is refused or the port cannot be bound.
    void start();
    void stop();
    bool isRunning() const;

    int port() const;
    QString host() const;    // as written into absolute links
    QString baseUrl() const; // "http://" + host()
    const Site &site() const;

    // Computed on first use (it generates every picture's largest file).
    const Manifest &manifest();
    QByteArray manifestJson();
    // The page at PATH?QUERY as a browser holds it once the page's scripts ran.
    QByteArray renderedPage(const QString &pathAndQuery);

    void addFault(const FaultRule &rule); // raises PhotoSiteError for a bad rule
    void clearFaults();
    QList<FaultRule> faults() const;

    QList<RequestRecord> requests() const;
    void resetRequests();

private:
    class Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvix::photosite
