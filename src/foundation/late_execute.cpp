#include "late_execute.h"

#include "errors.h"
#include "log.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace orvix {

TLateExecute::TLateExecute(TMethodX p1, TNotifyEvent p2, int mode, int ams)
    : _p1(std::move(p1)), _p2(std::move(p2)), _t(new QTimer(this)), _mode(mode)
{
    _t->setSingleShot(true);
    _t->setInterval(ams);
    connect(_t, &QTimer::timeout, this, &TLateExecute::fire);
    QThread *mainThread = QCoreApplication::instance()->thread();
    if (thread() != mainThread)
        moveToThread(mainThread);
    // Started from the main thread's event loop, whichever thread created it.
    QMetaObject::invokeMethod(_t, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

QPointer<TLateExecute> TLateExecute::Create(TMethodX ap, int ams)
{
    return new TLateExecute(std::move(ap), {}, 1, ams);
}

QPointer<TLateExecute> TLateExecute::Create(TNotifyEvent ap, int ams)
{
    return new TLateExecute({}, std::move(ap), 2, ams);
}

void TLateExecute::fire()
{
    _t->stop();
    try {
        if (_mode == 1 && _p1)
            _p1();
        else if (_mode == 2 && _p2)
            _p2(nullptr);
    } catch (const std::exception &e) {
        // Nothing up the event loop could handle it; the user at least gets to see it.
        LogMessage(exceptionMessage(e));
    }
    deleteLater();
}

} // namespace orvix
