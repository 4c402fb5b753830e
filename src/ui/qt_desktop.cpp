#include "qt_desktop.h"

#include "foundation/main_thread_call.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace orvix {

namespace {

// A program file is started with its parameters; anything else (a document, an address) goes to
// the desktop's handler for it.
bool isProgram(const QString &target)
{
    const QFileInfo info(target);
    return info.isFile() && info.isExecutable();
}

} // namespace

int TQtDesktop::openTarget(const QString &target, const QString &parameters, const QString &folder)
{
    if (target.isEmpty())
        return -1;
    if (isProgram(target))
        return QProcess::startDetached(target, QProcess::splitCommand(parameters), folder) ? 0 : -1;
    bool opened = false;
    RunOnMainThread([&] {
        const QUrl url = QUrl::fromUserInput(target, folder, QUrl::AssumeLocalFile);
        opened = url.isValid() && QDesktopServices::openUrl(url);
    });
    return opened ? 0 : -1;
}

int TQtDesktop::openFolder(const QString &folder)
{
    bool opened = false;
    RunOnMainThread([&] { opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    return opened ? 0 : -1;
}

bool TQtDesktop::locateFile(const QString &file)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    // No file manager service on this desktop: the folder at least.
    return openFolder(QFileInfo(file).absolutePath()) == 0;
}

void TQtDesktop::forceForeground(QObject *window)
{
    RunOnMainThread([&] {
        auto *w = qobject_cast<QWidget *>(window);
        if (!w)
            return;
        w = w->window();
        if (w->isMinimized())
            w->showNormal();
        else
            w->show();
        w->raise();
        w->activateWindow();
    });
}

bool TQtDesktop::isShiftDown()
{
    bool down = false;
    RunOnMainThread([&] { down = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; });
    return down;
}

bool TQtDesktop::isControlDown()
{
    bool down = false;
    RunOnMainThread([&] { down = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier; });
    return down;
}

} // namespace orvix
