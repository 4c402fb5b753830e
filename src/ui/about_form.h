#pragma once

// "About Varnel Orvix Downloader": version, build and file dates, the user, the maker's link,
// and three keys that exercise the exception reports (Ctrl+S settings folder, Ctrl+B "test gui
// exception", Ctrl+N "test thread exception x1").

#include <QDialog>

namespace orvix {

class ThreadRegistry;

class TFormAbout : public QDialog
{
    Q_OBJECT
public:
    TFormAbout(const QString &appId, ThreadRegistry &threads, QWidget *parent = nullptr);

    // The version label's three lines.
    static QString VersionText();
    // "user NAME (A)" or "user NAME (S)".
    static QString UserText();

private:
    ThreadRegistry &m_threads;
};

} // namespace orvix
