// The wallpaper of a bare X server: the root window's background, set the way
// root-setting programs do it. The picture goes into a pixmap that outlives
// the connection (RetainPermanent), named by _XROOTPMAP_ID and
// ESETROOT_PMAP_ID so that the next setter can free it. The user's own
// background (a pixmap left by such a program, or a plain colour) is left
// alive while the space picture is on, so that it can be put back exactly.

#include <QImage>
#include <QString>
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/NativeFiles.h"
#include "platform/PictureFile.h"
#include "platform/wallpaper/WallpaperServices.h"

// Xlib last: its macros (None, Status, Bool) would clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace skyroll::wallpaper {
namespace {

// Xlib reports a bad resource id through an error handler; while one of
// these lives, errors are counted instead of ending the program.
class TrapErrors {
public:
    explicit TrapErrors(Display* display) : m_display(display) {
        XSync(display, False);
        s_errors = 0;
        m_old = XSetErrorHandler(&TrapErrors::handle);
    }
    ~TrapErrors() {
        XSync(m_display, False);
        XSetErrorHandler(m_old);
    }
    bool failed() {
        XSync(m_display, False);
        return s_errors != 0;
    }

private:
    static int handle(Display*, XErrorEvent*) {
        ++s_errors;
        return 0;
    }
    static inline int s_errors = 0;
    Display* m_display;
    int (*m_old)(Display*, XErrorEvent*);
};

struct Connection {
    Connection() : display(XOpenDisplay(nullptr)) {}
    ~Connection() {
        if (display) XCloseDisplay(display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Display* display;
};

Pixmap pixmapProperty(Display* display, Window root, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return None;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (XGetWindowProperty(display, root, atom, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1)
        pixmap = *reinterpret_cast<Pixmap*>(data);
    if (data) XFree(data);
    return pixmap;
}

void setPixmapProperty(Display* display, Window root, const char* name, Pixmap pixmap) {
    const Atom atom = XInternAtom(display, name, False);
    if (pixmap == None)
        XDeleteProperty(display, root, atom);
    else
        XChangeProperty(display, root, atom, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pixmap), 1);
}

bool pixmapExists(Display* display, Pixmap pixmap) {
    if (pixmap == None) return false;
    TrapErrors trap(display);
    Window root;
    int x, y;
    unsigned width, height, border, depth;
    const Status ok = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth);
    return !trap.failed() && ok;
}

// A few points of the screen: corners and centre. A panel or an icon may sit
// on one of them, so decisions go by most of them.
std::vector<std::pair<int, int>> samplePoints(Display* display) {
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    return {{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}, {width / 2, height / 2}};
}

std::optional<unsigned long> pixelAt(Display* display, Drawable drawable, int x, int y) {
    TrapErrors trap(display);
    XImage* image = XGetImage(display, drawable, x, y, 1, 1, AllPlanes, ZPixmap);
    std::optional<unsigned long> pixel;
    if (image && !trap.failed()) pixel = XGetPixel(image, 0, 0);
    if (image) XDestroyImage(image);
    return pixel;
}

// The root's own colour where nothing covers it: the commonest sample.
unsigned long rootColour(Display* display, Window root) {
    std::map<unsigned long, int> votes;
    for (const auto& [x, y] : samplePoints(display))
        if (const auto pixel = pixelAt(display, root, x, y)) ++votes[*pixel];
    if (votes.empty()) return BlackPixel(display, DefaultScreen(display));
    return std::max_element(votes.begin(), votes.end(), [](auto& a, auto& b) { return a.second < b.second; })
        ->first;
}

// True when the screen shows `pixmap` as the root background: a program
// that set a plain colour since may have left the property behind.
bool pixmapOnScreen(Display* display, Window root, Pixmap pixmap) {
    for (const auto& [x, y] : samplePoints(display)) {
        const auto shown = pixelAt(display, root, x, y);
        if (shown && shown == pixelAt(display, pixmap, x, y)) return true;
    }
    return false;
}

// A saved background: the two properties as they were and the colour seen.
struct Background {
    Pixmap rootPixmap = None;
    Pixmap esetrootPixmap = None;
    unsigned long colour = 0;

    std::string text() const {
        std::ostringstream out;
        out << "xrootpmap " << rootPixmap << "\nesetroot " << esetrootPixmap << "\ncolour " << colour << "\n";
        return out.str();
    }
    static std::optional<Background> parse(const std::string& text) {
        std::istringstream in(text);
        Background b;
        std::string k1, k2, k3;
        if (!(in >> k1 >> b.rootPixmap >> k2 >> b.esetrootPixmap >> k3 >> b.colour) || k1 != "xrootpmap" ||
            k2 != "esetroot" || k3 != "colour")
            return std::nullopt;
        return b;
    }
};

std::string shownPixmap(Pixmap pixmap) { return "pixmap " + std::to_string(pixmap); }

class RootWindowWallpaper final : public platform::WallpaperService {
public:
    std::string_view name() const override { return "bare X"; }

    std::optional<platform::WallpaperState> read() override {
        Connection x;
        if (!x.display) return std::nullopt;
        const Window root = DefaultRootWindow(x.display);
        Background b;
        b.rootPixmap = pixmapProperty(x.display, root, "_XROOTPMAP_ID");
        b.esetrootPixmap = pixmapProperty(x.display, root, "ESETROOT_PMAP_ID");
        if (!pixmapExists(x.display, b.rootPixmap) || !pixmapOnScreen(x.display, root, b.rootPixmap))
            b.rootPixmap = None;
        b.colour = rootColour(x.display, root);
        const std::string shown =
            b.rootPixmap != None ? shownPixmap(b.rootPixmap) : "colour " + std::to_string(b.colour);
        // There is no path here: the background itself is the user's wallpaper.
        return platform::WallpaperState{std::nullopt, shown, b.text()};
    }

    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override {
        // Read by the path's own bytes, only from a regular file.
        std::string bytes;
        if (platform::native::readFileBounded(path, platform::kMaxPictureFileBytes, bytes) !=
            platform::native::ReadStatus::ok)
            return false;
        const QImage picture = QImage::fromData(QByteArray::fromStdString(bytes));
        if (picture.isNull()) return false;
        Connection x;
        if (!x.display) return false;
        Display* d = x.display;
        const int screen = DefaultScreen(d);
        const Window root = RootWindow(d, screen);
        Visual* visual = DefaultVisual(d, screen);
        const int depth = DefaultDepth(d, screen);
        // 32-bit pixels 0x00RRGGBB, the layout of QImage::Format_RGB32.
        if (depth < 24 || visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 ||
            visual->blue_mask != 0xff)
            return false;
        const int width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
        // Fill the screen, keeping the picture's proportions and its centre.
        QImage scaled =
            picture.scaled(width, height, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        scaled = scaled.copy((scaled.width() - width) / 2, (scaled.height() - height) / 2, width, height)
                     .convertToFormat(QImage::Format_RGB32);

        XImage image{};
        image.width = width;
        image.height = height;
        image.format = ZPixmap;
        image.data = reinterpret_cast<char*>(scaled.bits());
        image.bitmap_unit = 32;
        image.bitmap_bit_order = BitmapBitOrder(d);
        image.bitmap_pad = 32;
        image.depth = depth;
        image.bytes_per_line = int(scaled.bytesPerLine());
        image.bits_per_pixel = 32;
        image.red_mask = visual->red_mask;
        image.green_mask = visual->green_mask;
        image.blue_mask = visual->blue_mask;
        image.byte_order = LSBFirst;  // QImage's RGB32 in memory on a little-endian machine
        if (!XInitImage(&image)) return false;

        TrapErrors trap(d);
        // Kept from the start: a crash once the root shows the pixmap must
        // not free it, or the next start could not recognise it.
        XSetCloseDownMode(d, RetainPermanent);
        const Pixmap pixmap = XCreatePixmap(d, root, unsigned(width), unsigned(height), unsigned(depth));
        GC gc = XCreateGC(d, pixmap, 0, nullptr);
        XPutImage(d, pixmap, gc, &image, 0, 0, 0, 0, unsigned(width), unsigned(height));
        XFreeGC(d, gc);
        // Recorded before the root changes: a crash from here on leaves a
        // pixmap the next start can recognise.
        if (trap.failed() || !committing(shownPixmap(pixmap))) {
            XFreePixmap(d, pixmap);
            XSetCloseDownMode(d, DestroyAll);
            return false;
        }

        const Pixmap old = pixmapProperty(d, root, "_XROOTPMAP_ID");
        XSetWindowBackgroundPixmap(d, root, pixmap);
        XClearWindow(d, root);
        setPixmapProperty(d, root, "_XROOTPMAP_ID", pixmap);
        setPixmapProperty(d, root, "ESETROOT_PMAP_ID", pixmap);
        // The previous picture of this run is freed; the user's stays alive
        // for the way back.
        if (old != None && old != pixmap && m_ours.erase(old)) XKillClient(d, old);
        m_ours.insert(pixmap);
        XSync(d, False);
        return !trap.failed();
    }

    bool restore(const std::string& saved) override {
        const auto b = Background::parse(saved);
        if (!b) return false;
        Connection x;
        if (!x.display) return false;
        Display* d = x.display;
        const Window root = DefaultRootWindow(d);
        TrapErrors trap(d);
        const Pixmap current = pixmapProperty(d, root, "_XROOTPMAP_ID");
        const bool currentLeftBySetter =
            current != None && pixmapProperty(d, root, "ESETROOT_PMAP_ID") == current;
        const bool keepPixmap = pixmapExists(d, b->rootPixmap);
        if (keepPixmap) {
            XSetWindowBackgroundPixmap(d, root, b->rootPixmap);
            setPixmapProperty(d, root, "_XROOTPMAP_ID", b->rootPixmap);
            setPixmapProperty(d, root, "ESETROOT_PMAP_ID", b->esetrootPixmap);
        } else {
            XSetWindowBackground(d, root, b->colour);
            setPixmapProperty(d, root, "_XROOTPMAP_ID", None);
            setPixmapProperty(d, root, "ESETROOT_PMAP_ID", None);
        }
        XClearWindow(d, root);
        // A picture a root setter left (ours, or one a crashed run left) is
        // freed once it is no longer shown.
        if (currentLeftBySetter && current != b->rootPixmap) {
            XKillClient(d, current);
            m_ours.erase(current);
        }
        XSync(d, False);
        return !trap.failed();
    }

private:
    std::set<Pixmap> m_ours;  // pixmaps this run set
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makeRootWindowWallpaper() {
    Connection x;
    if (!x.display) return nullptr;
    return std::make_unique<RootWindowWallpaper>();
}

}  // namespace skyroll::wallpaper
