#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace orvix {

// Base of every failure the program raises: carries the message text shown or logged.
class EOrvix : public std::exception
{
public:
    explicit EOrvix(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Text that is not a number where a number was required.
class EConvertError : public EOrvix
{
public:
    using EOrvix::EOrvix;
};

// A file operation that failed (after its retries, for the retrying forms).
class EFileError : public EOrvix
{
public:
    using EOrvix::EOrvix;
};

// A list index outside the list.
class EListError : public EOrvix
{
public:
    using EOrvix::EOrvix;
};

// Message text of any exception, for logs and message boxes.
QString exceptionMessage(const std::exception &e);

} // namespace orvix
