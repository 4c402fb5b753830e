#include "settings_test_support.h"

#include "foundation/paths.h"
#include "library/file_bytes.h"

#include <QFile>

namespace orvix::test {

void SettingsTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + '/';
    SetSettingsFolder(folder);
    m_savedTiming = GetRetryTiming();
    SetRetryTiming({1, 1});
    m_savedDialogs = SetDialogs(&dialogs);
}

void SettingsTest::TearDown()
{
    SetDialogs(m_savedDialogs);
    SetRetryTiming(m_savedTiming);
}

void SettingsTest::writeFile(const QString &name, const QByteArray &bytes) const
{
    ASSERT_TRUE(writeBytes(path(name), bytes));
}

QByteArray SettingsTest::readFile(const QString &name) const
{
    return readBytes(path(name));
}

QStringList SettingsTest::fileLines(const QString &name) const
{
    QByteArray bytes = readFile(name);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringList lines = QString::fromUtf8(bytes).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace orvix::test
