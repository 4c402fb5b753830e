#pragma once

// A sandbox for foundation tests: a private settings folder and retry pauses of 1 ms, so the
// give-up paths of the retrying file functions take milliseconds.

#include "foundation/paths.h"
#include "foundation/retry_timing.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <ostream>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable failure output for texts and lists of texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(QStringLiteral("\", \"")).prepend(u'"').append(u'"').toStdString() << ']';
}

namespace orvix::test {

class SandboxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_savedTiming = GetRetryTiming();
        SetRetryTiming(RetryTiming{1, 1, 1});
        SetSettingsFolder(m_dir.path());
    }
    void TearDown() override
    {
        SetRetryTiming(m_savedTiming);
        SetSettingsFolder(QString());
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QByteArray readBytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeBytes(const QString &file, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private:
    QTemporaryDir m_dir;
    RetryTiming m_savedTiming;
};

} // namespace orvix::test
