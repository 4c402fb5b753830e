#pragma once

// Hand-written answers on a connection of the HTTP server, for the faults its normal responses
// cannot express: a wrong or missing Content-Length, a pause in the middle of a body, a reset.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <atomic>

namespace orvix::photosite {

// The socket of the connection between the server's local port and the client's port.
int findConnectionSocket(int localPort, int remotePort);

struct RawResponse
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool withLength = true;
    qint64 sendBytes = -1;     // send only this much of the body (-1: all)
    qint64 stallAfter = -1;    // pause after this many body bytes
    double stallSeconds = 0;
    bool resetAfterBody = false; // abort with a reset instead of closing cleanly
    qint64 padTo = -1;           // zeros after the body up to this many bytes (announced as the length)
    bool endless = false;        // zeros after the body until the client hangs up (no length)
    double byteInterval = 0;     // send the body one byte at a time, this many seconds apart
};

// Writes the response and ends the connection (a clean close, or a reset when asked). The
// server's own answer written afterwards goes nowhere. Pauses end early when stopping is set.
void sendRaw(int socket, const RawResponse &response, const std::atomic<bool> &stopping);
// Aborts the connection at once: the client sees a reset.
void resetConnection(int socket);

// Sleeps for seconds, waking early when stopping is set; false when it woke early.
bool sleepUnlessStopping(double seconds, const std::atomic<bool> &stopping);

} // namespace orvix::photosite
