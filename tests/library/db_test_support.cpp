#include "db_test_support.h"

#include "file_bytes.h"

#include <QDateTime>

namespace orvix::test {

void PictureDbTest::writeFile(const QString &name, const QByteArray &bytes) const
{
    ASSERT_TRUE(writeBytes(path(name), bytes));
}

QByteArray PictureDbTest::readFile(const QString &name) const
{
    return readBytes(path(name));
}

void PictureDbTest::ageFile(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
}

QString PictureDbTest::touch(const QString &name) const
{
    writeFile(name, "jpg");
    return path(name);
}

} // namespace orvix::test
