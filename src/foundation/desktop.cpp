#include "desktop.h"

#include <QFileInfo>
#include <atomic>

namespace orvix {

namespace {

class HeadlessDesktop : public IDesktop
{
public:
    int openTarget(const QString &, const QString &, const QString &) override { return -1; }
    int openFolder(const QString &) override { return -1; }
    bool locateFile(const QString &) override { return false; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
};

HeadlessDesktop g_headless;
std::atomic<IDesktop *> g_desktop{nullptr};

QString unquoted(QString path)
{
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    return path;
}

} // namespace

IDesktop *SetDesktop(IDesktop *desktop)
{
    return g_desktop.exchange(desktop);
}

IDesktop &CurrentDesktop()
{
    IDesktop *d = g_desktop.load();
    return d ? *d : g_headless;
}

int ShellOpen(const QString &quotedTarget, const QString &parameters, const QString &folder)
{
    // A path may come quoted, as a command line writes it; the desktop's opener takes it bare.
    const QString target = unquoted(quotedTarget);
    const QFileInfo info(target);
    if (!target.isEmpty() && info.isDir())
        return CurrentDesktop().openFolder(target);
    QString workFolder = folder;
    if (workFolder.isEmpty() && info.isFile())
        workFolder = info.absolutePath();
    return CurrentDesktop().openTarget(target, parameters, workFolder);
}

bool LocateInExplorer(const QString &path)
{
    const QString p = unquoted(path);
    const QFileInfo info(p);
    if (info.isFile())
        return CurrentDesktop().locateFile(p);
    if (info.isDir())
        return CurrentDesktop().openFolder(p) == 0;
    return false;
}

void ForceForeground(QObject *window) { CurrentDesktop().forceForeground(window); }
bool IsShiftDown() { return CurrentDesktop().isShiftDown(); }
bool IsControlDown() { return CurrentDesktop().isControlDown(); }

} // namespace orvix
