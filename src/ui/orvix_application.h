#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace orvix {

// The desktop program's application: an exception that escapes an event handler goes to
// onException (the exception reports) instead of ending the program.
class TOrvixApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override;

    std::function<void(std::exception_ptr)> onException;
};

} // namespace orvix
