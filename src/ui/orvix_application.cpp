#include "orvix_application.h"

namespace orvix {

bool TOrvixApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!onException)
            throw;
        onException(std::current_exception());
        return false;
    }
}

} // namespace orvix
