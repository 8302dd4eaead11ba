#include "platform/window_lookup.h"

#include <QFile>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

WindowLookupFn& lookupOverride()
{
    static WindowLookupFn fn;
    return fn;
}

std::function<bool(qint64)>& processOverride()
{
    static std::function<bool(qint64)> fn;
    return fn;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw)
{
    return Reply<T>(raw, &std::free);
}

// A connection of our own, for a Qt that does not talk to X itself (the offscreen platform
// under a display); kept open and opened again after an error.
xcb_connection_t* ownConnection()
{
    static xcb_connection_t* connection = nullptr;
    if (connection && xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        connection = nullptr;
    }
    if (!connection) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            return nullptr;
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            connection = nullptr;
        }
    }
    return connection;
}

xcb_connection_t* connection()
{
    const QString platformName = QGuiApplication::platformName();
    // Under Wayland the companion's window is not an X window, even with XWayland about.
    if (platformName.startsWith(QLatin1String("wayland")))
        return nullptr;
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (xcb_connection_t* c = x11->connection())
            return c;
    }
    return ownConnection();
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    auto r = reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_window_t> children(xcb_connection_t* c, const std::vector<xcb_window_t>& parents)
{
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(parents.size());
    for (xcb_window_t w : parents)
        cookies.push_back(xcb_query_tree(c, w));
    std::vector<xcb_window_t> result;
    for (const xcb_query_tree_cookie_t& cookie : cookies) {
        auto r = reply(xcb_query_tree_reply(c, cookie, nullptr));
        if (!r)
            continue; // the window went away meanwhile
        const xcb_window_t* list = xcb_query_tree_children(r.get());
        result.insert(result.end(), list, list + xcb_query_tree_children_length(r.get()));
    }
    return result;
}

bool anyTitled(xcb_connection_t* c, const std::vector<xcb_window_t>& windows, xcb_atom_t name, xcb_atom_t utf8,
               const QByteArray& title)
{
    // All requests first, then the answers: one round trip for the lot.
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    const uint32_t words = uint32_t(title.size() / 4 + 2);
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_get_property(c, 0, w, name, utf8, 0, words));
    bool found = false;
    for (const xcb_get_property_cookie_t& cookie : cookies) {
        auto r = reply(xcb_get_property_reply(c, cookie, nullptr));
        if (found || !r || r->type != utf8 || r->format != 8)
            continue;
        const int length = xcb_get_property_value_length(r.get());
        if (r->bytes_after == 0 && length == title.size()
            && std::memcmp(xcb_get_property_value(r.get()), title.constData(), size_t(length)) == 0)
            found = true;
    }
    return found;
}

std::optional<bool> lookUp(const QString& title)
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const xcb_atom_t name = internAtom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(c, "UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return std::nullopt;
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        roots.push_back(it.data->root);
    const QByteArray wanted = title.toUtf8();
    // Client windows sit at the root, or one level down inside a window manager's frame.
    const std::vector<xcb_window_t> top = children(c, roots);
    if (anyTitled(c, top, name, utf8, wanted))
        return true;
    return anyTitled(c, children(c, top), name, utf8, wanted);
}

}

std::optional<bool> topLevelWindowExists(const QString& title)
{
    if (lookupOverride())
        return lookupOverride()(title);
    return lookUp(title);
}

void setWindowLookupForTesting(WindowLookupFn fn)
{
    lookupOverride() = std::move(fn);
}

bool processRunning(qint64 pid)
{
    if (processOverride())
        return processOverride()(pid);
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // An ended process that nobody has reaped yet still answers; its state tells.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.read(4096);
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() || (line[close + 2] != 'Z' && line[close + 2] != 'X');
}

void setProcessRunningForTesting(std::function<bool(qint64)> fn)
{
    processOverride() = std::move(fn);
}

}
