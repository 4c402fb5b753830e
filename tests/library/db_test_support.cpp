#include "db_test_support.h"

#include <QDir>
#include <QFileInfo>

namespace orvix::test {

void PictureDbTest::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray PictureDbTest::readFile(const QString &name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString PictureDbTest::touch(const QString &name) const
{
    writeFile(name, "jpg");
    return path(name);
}

} // namespace orvix::test
