// Records pictures into the picture database of a folder, as another running instance would.
// Usage: orvix_db_append_helper FOLDER ID...   (each picture is "ID_s" from "http://h/photos/u/ID/")

#include "library/picture_db.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    orvix::PictureDatabase db(args[1] + QLatin1Char('/'));
    db.LoadImagesDb();
    for (const QString &id : args.mid(2)) {
        orvix::TImageData d;
        d.ImageId = id;
        d.ImageSecretID = QStringLiteral("s");
        d.PageUrl = QStringLiteral("http://h/photos/u/") + id + QLatin1Char('/');
        db.RecordQueuedPicture(d);
    }
    return 0;
}
