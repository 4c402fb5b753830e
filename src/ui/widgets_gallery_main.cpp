// orvix-widgets: the widget gallery. "screenshot=FILE" saves a picture of it and ends.
#include "widgets_gallery.h"

#include "foundation/command_line.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    orvix::TWidgetsGallery gallery;
    gallery.show();
    const QString shot = orvix::GetSwitchValue(QStringLiteral("screenshot"));
    if (!shot.isEmpty()) {
        QTimer::singleShot(700, &gallery, [&] {
            const bool saved = gallery.grab().save(shot);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
