// Renders the program's SVG icons into the PNG sizes committed under data/icons/hicolor
// (scripts/icons). Needs the Qt SVG image plugin at run time.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: orvix-render-icons ICONS_FOLDER OUT_FOLDER\n";
        return 2;
    }
    const QDir in(args[1]);
    const QDir out(args[2]);
    for (const QString &name : {QStringLiteral("orvix"), QStringLiteral("orvix-setup")}) {
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            QImageReader reader(in.filePath(name + QStringLiteral(".svg")));
            reader.setScaledSize(QSize(size, size));
            const QImage image = reader.read();
            const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
            QDir().mkpath(folder);
            if (image.isNull() || !image.save(folder + u'/' + name + QStringLiteral(".png"))) {
                QTextStream(stderr) << "cannot render " << name << " at " << size << ": " << reader.errorString() << "\n";
                return 1;
            }
        }
    }
    return 0;
}
