#include "x_session.h"

#include "test_support.h"

#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace orvix::test {

XSession::XSession()
{
    // The server names its display on standard output once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000))
        return;
    QByteArray out;
    while (!out.contains('\n') && m_server.waitForReadyRead(20000))
        out += m_server.readAllStandardOutput();
    if (!out.contains('\n'))
        return;
    m_display = u':' + QString::fromLatin1(out.trimmed());
    xcb_connection_t *c = xcb_connect(m_display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

XSession::~XSession()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
}

uint32_t XSession::atom(const char *name) const
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const uint32_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

QString XSession::title(uint32_t window) const
{
    xcb_get_property_reply_t *r = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024), nullptr);
    QString text;
    if (r)
        text = QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    return text;
}

uint32_t XSession::findWindow(const QString &wanted) const
{
    if (!m_connection)
        return 0;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
    if (!tree)
        return 0;
    uint32_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_window_attributes_reply_t *a = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr);
        const bool mapped = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        if (mapped && title(children[i]) == wanted)
            found = children[i];
    }
    std::free(tree);
    return found;
}

uint32_t XSession::waitForWindow(const QString &title, int timeoutMs) const
{
    uint32_t w = 0;
    waitUntil([&] { return (w = findWindow(title)) != 0; }, timeoutMs);
    return w;
}

bool XSession::waitUntilGone(const QString &title, int timeoutMs) const
{
    return waitUntil([&] { return findWindow(title) == 0; }, timeoutMs);
}

void XSession::focus(uint32_t window)
{
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    QThread::msleep(200); // the program takes the focus event and activates the window
}

uint8_t XSession::keycode(uint32_t keysym) const
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    xcb_get_keyboard_mapping_reply_t *r = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, first, uint8_t(count)), nullptr);
    uint8_t code = 0;
    if (r) {
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(r);
        for (int i = 0; i < count * r->keysyms_per_keycode && !code; ++i)
            if (syms[i] == keysym)
                code = uint8_t(first + i / r->keysyms_per_keycode);
        std::free(r);
    }
    return code;
}

void XSession::key(uint32_t window, uint32_t keysym, uint16_t modifiers)
{
    for (const uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)}) {
        xcb_key_press_event_t e{};
        e.response_type = type;
        e.detail = keycode(keysym);
        e.time = XCB_CURRENT_TIME;
        e.root = m_root;
        e.event = window;
        e.child = XCB_NONE;
        e.state = modifiers;
        e.same_screen = 1;
        xcb_send_event(m_connection, 1, window, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char *>(&e));
    }
    xcb_flush(m_connection);
    QThread::msleep(300);
}

void XSession::close(uint32_t window)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = atom("WM_PROTOCOLS");
    e.data.data32[0] = atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&e));
    xcb_flush(m_connection);
}

} // namespace orvix::test
