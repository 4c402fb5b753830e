#pragma once

// A display of the test's own (Xvfb) and the few things a user or a window manager does to
// the program's windows there: find one by its title, give it the keyboard, type a key, and
// ask it to close as a title bar's close button does (WM_DELETE_WINDOW). No window manager
// runs, so the program's top-level windows are children of the root window.

#include <QProcess>
#include <QString>

#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace orvix::test {

class XSession
{
public:
    XSession();
    ~XSession(); // the server ends
    bool ok() const { return m_connection != nullptr; }
    QString display() const { return m_display; } // ":N"

    // The mapped top-level window whose title is exactly title; 0 when none.
    uint32_t findWindow(const QString &title) const;
    uint32_t waitForWindow(const QString &title, int timeoutMs) const;
    bool waitUntilGone(const QString &title, int timeoutMs) const;

    void focus(uint32_t window);
    // keysym as X names it (XK_...); modifiers: the X state bits (ShiftMask 1, ControlMask 4,
    // Mod1Mask 8 for Alt).
    void key(uint32_t window, uint32_t keysym, uint16_t modifiers = 0);
    void close(uint32_t window);

private:
    uint32_t atom(const char *name) const;
    QString title(uint32_t window) const;
    uint8_t keycode(uint32_t keysym) const;

    QProcess m_server;
    QString m_display;
    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
};

} // namespace orvix::test
