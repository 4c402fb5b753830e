#pragma once

// A one-shot call on the main thread a little later (for example to select the address box's
// text after it received the focus). Fire-and-forget: the object deletes itself after the call.

#include <QObject>
#include <QPointer>
#include <functional>

class QTimer;

namespace orvix {

using TMethodX = std::function<void()>;
using TNotifyEvent = std::function<void(QObject *sender)>;

class TLateExecute : public QObject
{
    Q_OBJECT
public:
    // Safe from any thread; the call runs on the main thread. The returned pointer only
    // observes: it turns null once the object is gone.
    static QPointer<TLateExecute> Create(TMethodX ap, int ams);
    // The notification form: called with an empty sender.
    static QPointer<TLateExecute> Create(TNotifyEvent ap, int ams);

private:
    TLateExecute(TMethodX p1, TNotifyEvent p2, int mode, int ams);
    void fire();

    TMethodX _p1;
    TNotifyEvent _p2;
    QTimer *_t;
    int _mode;
};

} // namespace orvix
