#include "gui/x11_windows.h"

#include <QGuiApplication>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gui/qt_dialogs.h"

#ifdef QVT_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace qvt::gui {

namespace {

// The executable's file name and the command line of a local process.
void read_process(std::uint32_t pid, platform::TopLevelWindow& window) {
    if (pid == 0) return;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::error_code error;
    const auto exe = std::filesystem::read_symlink(proc + "/exe", error);
    if (!error) window.executable = exe.filename().string();
    std::ifstream in(proc + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find('\0', start);
        const std::size_t stop = end == std::string::npos ? all.size() : end;
        window.command_line.push_back(all.substr(start, stop - start));
        start = stop + 1;
    }
}

}  // namespace

#ifdef QVT_HAVE_XCB

struct X11Windows::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t stacking = 0, clients = 0, net_name = 0, utf8 = 0, pid = 0, active = 0, wm_check = 0;

    Connection() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        int screen_number = 0;
        c = xcb_connect(nullptr, &screen_number);
        if (xcb_connection_has_error(c) != 0) {
            xcb_disconnect(c);
            c = nullptr;
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screen_number && it.rem > 0; ++i)
            xcb_screen_next(&it);
        root = it.data->root;
        stacking = atom("_NET_CLIENT_LIST_STACKING");
        clients = atom("_NET_CLIENT_LIST");
        net_name = atom("_NET_WM_NAME");
        utf8 = atom("UTF8_STRING");
        pid = atom("_NET_WM_PID");
        active = atom("_NET_ACTIVE_WINDOW");
        wm_check = atom("_NET_SUPPORTING_WM_CHECK");
    }
    ~Connection() {
        if (c != nullptr) xcb_disconnect(c);
    }

    xcb_atom_t atom(const char* name) {
        auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
        const xcb_atom_t result = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return result;
    }

    // The property's bytes; empty when the window or the property is missing.
    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        auto cookie = xcb_get_property(c, 0, window, name, type, 0, 1 << 16);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
        std::string bytes;
        if (reply != nullptr && reply->type != XCB_NONE) {
            const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
            // The length is in bytes whatever the format.
            bytes.assign(data, static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        }
        std::free(reply);
        return bytes;
    }

    std::vector<std::uint32_t> words(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        const std::string bytes = property(window, name, type);
        std::vector<std::uint32_t> out(bytes.size() / 4);
        if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
        return out;
    }

    std::string title(xcb_window_t window) {
        std::string utf = property(window, net_name, utf8);
        if (utf.empty()) {
            const std::string latin = property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
            return to_sjis(QString::fromLatin1(latin.data(), static_cast<int>(latin.size())));
        }
        return to_sjis(QString::fromUtf8(utf.data(), static_cast<int>(utf.size())));
    }
};

X11Windows::X11Windows() : x_(std::make_unique<Connection>()) {}
X11Windows::~X11Windows() = default;

// Without a window manager there is no client list to read.
bool X11Windows::can_list() const {
    return x_->c != nullptr && !x_->words(x_->root, x_->wm_check, XCB_ATOM_WINDOW).empty();
}

std::vector<platform::TopLevelWindow> X11Windows::top_level_windows() {
    std::vector<platform::TopLevelWindow> result;
    if (x_->c == nullptr) return result;
    // The stacking list runs bottom to top.
    std::vector<std::uint32_t> ids = x_->words(x_->root, x_->stacking, XCB_ATOM_WINDOW);
    if (ids.empty()) ids = x_->words(x_->root, x_->clients, XCB_ATOM_WINDOW);
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        platform::TopLevelWindow window;
        window.id = *it;
        window.has_owner = !x_->words(*it, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW).empty();
        window.title = x_->title(*it);
        const std::string wm_class = x_->property(*it, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        const std::size_t cut = wm_class.find('\0');
        if (cut != std::string::npos) window.class_name = wm_class.substr(cut + 1);
        if (!window.class_name.empty() && window.class_name.back() == '\0') {
            window.class_name.pop_back();
        }
        const auto pid = x_->words(*it, x_->pid, XCB_ATOM_CARDINAL);
        read_process(pid.empty() ? 0 : pid.front(), window);
        result.push_back(std::move(window));
    }
    return result;
}

bool X11Windows::activate(platform::WindowId id) {
    if (x_->c == nullptr) return false;
    const auto window = static_cast<xcb_window_t>(id);
    auto cookie = xcb_get_window_attributes(x_->c, window);
    xcb_get_window_attributes_reply_t* exists =
        xcb_get_window_attributes_reply(x_->c, cookie, nullptr);
    std::free(exists);
    if (exists == nullptr) return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = x_->active;
    event.data.data32[0] = 2;  // asked for by the user, as a task switcher does
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x_->c, 0, x_->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(x_->c);
    return true;
}

#else

struct X11Windows::Connection {};
X11Windows::X11Windows() : x_(std::make_unique<Connection>()) {}
X11Windows::~X11Windows() = default;
bool X11Windows::can_list() const {
    return false;
}
std::vector<platform::TopLevelWindow> X11Windows::top_level_windows() {
    return {};
}
bool X11Windows::activate(platform::WindowId) {
    return false;
}

#endif

}  // namespace qvt::gui
