#pragma once

// SIGTERM (logout, system shutdown), SIGINT and SIGHUP close the program in order, as the
// window's close button does, instead of ending it on the spot. The handler only writes a
// byte to a pipe; the main thread reads it and emits closeRequested. Made once, by the
// program's main, after its window exists; until then the signals end the process as usual.

#include <QObject>

class QSocketNotifier;

namespace orvix {

class TCloseSignals : public QObject
{
    Q_OBJECT
public:
    explicit TCloseSignals(QObject *parent = nullptr);
    ~TCloseSignals() override; // the signals' usual actions come back

Q_SIGNALS:
    void closeRequested(int signalNumber);

private:
    void onReadable();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace orvix
