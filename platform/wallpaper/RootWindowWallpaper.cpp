// The wallpaper of a bare X server: the root window's background, set the way
// root-setting programs do it. The picture goes into a pixmap that outlives
// the connection (RetainPermanent), named by _XROOTPMAP_ID and
// ESETROOT_PMAP_ID so that the next setter can free it. The user's own
// background (a pixmap left by such a program, or a plain colour) is left
// alive while the space picture is on, so that it can be put back exactly;
// a pixmap is only ever freed when this program made it.
//
// The root's own background is told from what the screen shows at points no
// window covers, or through a one-pixel probe window that shows its parent's
// background; a background that cannot be told (a pattern, no point to look
// at) is not read, and then nothing is changed.
//
// _SKYROLL_WALLPAPER on the root names this server instance (a random token,
// put there with the first space picture) and the pixmap of ours it shows:
// a crash record of an earlier server instance matches nothing here.

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/NativeFiles.h"
#include "platform/common/PictureFile.h"
#include "platform/wallpaper/KillStep.h"
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

// Points of the screen to look at: corners, edges and centre.
std::vector<std::pair<int, int>> samplePoints(Display* display) {
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    std::vector<std::pair<int, int>> points;
    for (const int x : {0, width / 2, width - 1})
        for (const int y : {0, height / 2, height - 1}) points.emplace_back(x, y);
    return points;
}

std::optional<unsigned long> pixelAt(Display* display, Drawable drawable, int x, int y) {
    TrapErrors trap(display);
    XImage* image = XGetImage(display, drawable, x, y, 1, 1, AllPlanes, ZPixmap);
    std::optional<unsigned long> pixel;
    if (image && !trap.failed()) pixel = XGetPixel(image, 0, 0);
    if (image) XDestroyImage(image);
    return pixel;
}

// The rectangles of the root's mapped children: the windows on top of it.
std::vector<XRectangle> coveringWindows(Display* display, Window root) {
    std::vector<XRectangle> covering;
    Window rootReturn = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    TrapErrors trap(display);
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return covering;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable ||
            a.c_class != InputOutput)
            continue;
        const int b = a.border_width;
        covering.push_back(XRectangle{short(a.x), short(a.y), (unsigned short)(a.width + 2 * b),
                                      (unsigned short)(a.height + 2 * b)});
    }
    if (children) XFree(children);
    return covering;
}

// The root's own background at each point: read from the screen where no
// window covers the point, else through a one-pixel window on top whose
// background is its parent's (ParentRelative), shown for a moment only.
std::vector<std::optional<unsigned long>> backgroundAt(Display* display, Window root,
                                                       const std::vector<std::pair<int, int>>& points) {
    const auto covering = coveringWindows(display, root);
    std::vector<std::optional<unsigned long>> pixels(points.size());
    std::vector<std::pair<std::size_t, Window>> probes;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [x, y] = points[i];
        const bool covered = std::any_of(covering.begin(), covering.end(), [&](const XRectangle& r) {
            return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
        });
        if (!covered) {
            pixels[i] = pixelAt(display, root, x, y);
            continue;
        }
        XSetWindowAttributes attributes{};
        attributes.background_pixmap = ParentRelative;
        attributes.override_redirect = True;
        probes.emplace_back(i, XCreateWindow(display, root, x, y, 1, 1, 0, CopyFromParent, InputOutput,
                                             CopyFromParent, CWBackPixmap | CWOverrideRedirect, &attributes));
    }
    if (probes.empty()) return pixels;
    for (const auto& [i, probe] : probes) XMapRaised(display, probe);
    XSync(display, False);  // mapped: the server has painted their backgrounds
    for (const auto& [i, probe] : probes) pixels[i] = pixelAt(display, probe, 0, 0);
    for (const auto& [i, probe] : probes) XDestroyWindow(display, probe);
    XSync(display, False);
    return pixels;
}

// What the root shows as its own background.
struct Seen {
    enum class Kind { pixmap, colour, unknown };
    Kind kind = Kind::unknown;
    unsigned long colour = 0;
};

Seen seenBackground(Display* display, Window root, Pixmap named) {
    const auto points = samplePoints(display);
    const auto pixels = backgroundAt(display, root, points);
    if (std::none_of(pixels.begin(), pixels.end(), [](auto& p) { return p.has_value(); })) return {};
    if (pixmapExists(display, named)) {
        Window r;
        int px, py;
        unsigned width = 1, height = 1, border, depth;
        XGetGeometry(display, named, &r, &px, &py, &width, &height, &border, &depth);
        bool same = true;
        for (std::size_t i = 0; i < points.size() && same; ++i)
            if (pixels[i])  // a background pixmap tiles from the root's corner
                same = pixels[i] == pixelAt(display, named, int(unsigned(points[i].first) % width),
                                            int(unsigned(points[i].second) % height));
        if (same) return {Seen::Kind::pixmap, 0};
    }
    std::optional<unsigned long> colour;
    for (const auto& pixel : pixels) {
        if (!pixel) continue;
        if (colour && *colour != *pixel) return {};  // a pattern or a picture: not a plain colour
        colour = pixel;
    }
    return {Seen::Kind::colour, *colour};
}

// _SKYROLL_WALLPAPER: "TOKEN PIXMAP", this server instance's token and the
// pixmap of ours on the root (0 when none is).
struct Mark {
    std::string token;
    Pixmap pixmap = None;
};

std::optional<Mark> readMark(Display* display, Window root) {
    const Atom atom = XInternAtom(display, "_SKYROLL_WALLPAPER", True);
    if (atom == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<Mark> mark;
    if (XGetWindowProperty(display, root, atom, 0, 64, False, XA_STRING, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_STRING && format == 8 && after == 0) {
        std::istringstream in(std::string(reinterpret_cast<const char*>(data), count));
        Mark m;
        if (in >> m.token >> m.pixmap && m.token.size() == 32) mark = m;
    }
    if (data) XFree(data);
    return mark;
}

void writeMark(Display* display, Window root, const Mark& mark) {
    const std::string text = mark.token + " " + std::to_string(mark.pixmap);
    XChangeProperty(display, root, XInternAtom(display, "_SKYROLL_WALLPAPER", False), XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
}

std::string newToken() {
    std::random_device random;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", unsigned(random()));
        token += part;
    }
    return token;
}

// A saved background: the two properties as they were, the colour seen and
// what the root showed. A text without the last line comes from an earlier
// build, which judged by the pixmap alone.
struct Background {
    Pixmap rootPixmap = None;
    Pixmap esetrootPixmap = None;
    unsigned long colour = 0;
    std::optional<Seen::Kind> kind;

    std::string text() const {
        std::ostringstream out;
        out << "xrootpmap " << rootPixmap << "\nesetroot " << esetrootPixmap << "\ncolour " << colour << "\n";
        if (kind) out << "shows " << (*kind == Seen::Kind::pixmap ? "pixmap" : "colour") << "\n";
        return out.str();
    }
    static std::optional<Background> parse(const std::string& text) {
        std::istringstream in(text);
        Background b;
        std::string k1, k2, k3, k4, shows;
        if (!(in >> k1 >> b.rootPixmap >> k2 >> b.esetrootPixmap >> k3 >> b.colour) || k1 != "xrootpmap" ||
            k2 != "esetroot" || k3 != "colour")
            return std::nullopt;
        if (in >> k4 >> shows) {
            if (k4 != "shows" || (shows != "pixmap" && shows != "colour")) return std::nullopt;
            b.kind = shows == "pixmap" ? Seen::Kind::pixmap : Seen::Kind::colour;
        }
        return b;
    }
};

// A kill step, once the requests so far have reached the server.
void step(Display* display) {
    if (!killStepsArmed()) return;
    XSync(display, False);
    killStep();
}

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
        const auto mark = readMark(x.display, root);
        // Our own picture, named by the properties, is taken as shown without
        // looking: a run ended between two requests may have left the root
        // half changed, and the crash record then still puts it right.
        const bool ours = mark && mark->pixmap != None && mark->pixmap == b.rootPixmap &&
                          pixmapExists(x.display, b.rootPixmap);
        const Seen seen = ours ? Seen{Seen::Kind::pixmap, 0} : seenBackground(x.display, root, b.rootPixmap);
        // A background that cannot be told is not read: nothing is changed.
        if (seen.kind == Seen::Kind::unknown) return std::nullopt;
        b.kind = seen.kind;
        b.colour = seen.colour;
        std::string shown = seen.kind == Seen::Kind::pixmap ? shownPixmap(b.rootPixmap)
                                                            : "colour " + std::to_string(b.colour);
        if (mark) shown += " on " + mark->token;
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
        // This server instance's token, on the root before the record names it.
        const auto known = readMark(d, root);
        Mark mark = known ? *known : Mark{newToken(), None};
        writeMark(d, root, mark);
        // Kept from the start: a crash once the root shows the pixmap must
        // not free it, or the next start could not recognise it.
        XSetCloseDownMode(d, RetainPermanent);
        const Pixmap pixmap = XCreatePixmap(d, root, unsigned(width), unsigned(height), unsigned(depth));
        GC gc = XCreateGC(d, pixmap, 0, nullptr);
        XPutImage(d, pixmap, gc, &image, 0, 0, 0, 0, unsigned(width), unsigned(height));
        XFreeGC(d, gc);
        // Recorded before the root changes: a crash from here on leaves a
        // pixmap the next start can recognise.
        if (trap.failed() || !committing(shownPixmap(pixmap) + " on " + mark.token)) {
            XFreePixmap(d, pixmap);
            XSetCloseDownMode(d, DestroyAll);
            return false;
        }

        // The mark first, then the properties, then the background: from
        // _XROOTPMAP_ID on, the next start knows the root as ours.
        step(d);
        const Pixmap previous = mark.pixmap;
        mark.pixmap = pixmap;
        writeMark(d, root, mark);
        step(d);
        setPixmapProperty(d, root, "_XROOTPMAP_ID", pixmap);
        step(d);
        setPixmapProperty(d, root, "ESETROOT_PMAP_ID", pixmap);
        step(d);
        XSetWindowBackgroundPixmap(d, root, pixmap);
        XClearWindow(d, root);
        step(d);
        // The previous picture of ours is freed; the user's stays alive for
        // the way back.
        if (previous != None && previous != pixmap) XKillClient(d, previous);
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
        if (!b->kind) return restoreEarlierForm(d, root, *b) && !trap.failed();
        const Pixmap current = pixmapProperty(d, root, "_XROOTPMAP_ID");
        auto mark = readMark(d, root);
        const Pixmap ours = mark ? mark->pixmap : None;
        // Untouched when it shows the state read at start: the root changes
        // only by the properties' setters, this program among them.
        const bool asAtStart = current == b->rootPixmap &&
                               pixmapProperty(d, root, "ESETROOT_PMAP_ID") == b->esetrootPixmap &&
                               (ours == None || ours != current);
        if (!asAtStart) {
            if (*b->kind == Seen::Kind::pixmap) {
                if (!pixmapExists(d, b->rootPixmap)) return false;  // freed by another setter meanwhile
                XSetWindowBackgroundPixmap(d, root, b->rootPixmap);
            } else {
                XSetWindowBackground(d, root, b->colour);
            }
            XClearWindow(d, root);
            step(d);
            // _XROOTPMAP_ID last: until it changes the next start knows the
            // root as ours and puts it right.
            setPixmapProperty(d, root, "ESETROOT_PMAP_ID", b->esetrootPixmap);
            step(d);
            setPixmapProperty(d, root, "_XROOTPMAP_ID", b->rootPixmap);
            step(d);
        }
        // Our picture, once no longer shown, is freed; only ours ever is.
        if (mark && ours != None) {
            mark->pixmap = None;
            writeMark(d, root, *mark);
            step(d);
            if (ours != b->rootPixmap && ours != b->esetrootPixmap) XKillClient(d, ours);
        }
        XSync(d, False);
        return !trap.failed();
    }

private:
    // A background saved by an earlier build, put back as it did: its
    // pixmap when it is still there, else its colour; the picture a
    // root setter left is freed.
    static bool restoreEarlierForm(Display* d, Window root, const Background& b) {
        const Pixmap current = pixmapProperty(d, root, "_XROOTPMAP_ID");
        const bool currentLeftBySetter =
            current != None && pixmapProperty(d, root, "ESETROOT_PMAP_ID") == current;
        if (pixmapExists(d, b.rootPixmap)) {
            XSetWindowBackgroundPixmap(d, root, b.rootPixmap);
            setPixmapProperty(d, root, "_XROOTPMAP_ID", b.rootPixmap);
            setPixmapProperty(d, root, "ESETROOT_PMAP_ID", b.esetrootPixmap);
        } else {
            XSetWindowBackground(d, root, b.colour);
            setPixmapProperty(d, root, "_XROOTPMAP_ID", None);
            setPixmapProperty(d, root, "ESETROOT_PMAP_ID", None);
        }
        XClearWindow(d, root);
        if (currentLeftBySetter && current != b.rootPixmap) XKillClient(d, current);
        XSync(d, False);
        return true;
    }
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makeRootWindowWallpaper() {
    Connection x;
    if (!x.display) return nullptr;
    return std::make_unique<RootWindowWallpaper>();
}

}  // namespace skyroll::wallpaper
