#include "db_test_support.h"

#include "file_bytes.h"

namespace orvix::test {

void PictureDbTest::writeFile(const QString &name, const QByteArray &bytes) const
{
    ASSERT_TRUE(writeBytes(path(name), bytes));
}

QByteArray PictureDbTest::readFile(const QString &name) const
{
    return readBytes(path(name));
}

QString PictureDbTest::touch(const QString &name) const
{
    writeFile(name, "jpg");
    return path(name);
}

} // namespace orvix::test
