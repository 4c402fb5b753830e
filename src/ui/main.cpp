#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orvix picture downloader"));
    window.resize(1200, 800);
    window.show();
    return app.exec();
}
