// The bare X wallpaper against private X servers (Xvfb, started here): the
// user's background read the way root setters leave it, under windows that
// cover the screen; only our own pixmaps freed; a crash record of an earlier
// server instance, and one written by an earlier build.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/common/WallpaperKeeper.h"
#include "platform/wallpaper/WallpaperServices.h"
#include "tests/support/TestFiles.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "tests/platform/wallpaper/UserRootPixmap.h"

namespace skyroll::test {
namespace {

constexpr int kWidth = 320, kHeight = 240;

// An Xvfb of our own, named by DISPLAY while it lives.
class XServer {
public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        m_env.emplace(":" + number);
        setenv("DISPLAY", m_env->c_str(), 1);
        display = XOpenDisplay(nullptr);
        if (display) root = DefaultRootWindow(display);
    }
    ~XServer() {
        if (display) XCloseDisplay(display);
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        unsetenv("DISPLAY");
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    Pixmap property(const char* name) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Pixmap pixmap = None;
        if (XGetWindowProperty(display, root, XInternAtom(display, name, False), 0, 1, False, XA_PIXMAP,
                               &type, &format, &count, &after, &data) == Success &&
            count == 1)
            pixmap = *reinterpret_cast<Pixmap*>(data);
        if (data) XFree(data);
        return pixmap;
    }
    bool exists(Pixmap pixmap) {
        static int errors;
        errors = 0;
        XSync(display, False);
        auto old = XSetErrorHandler([](Display*, XErrorEvent*) { return ++errors, 0; });
        Window r;
        int x, y;
        unsigned w, h, b, d;
        const Status ok = XGetGeometry(display, pixmap, &r, &x, &y, &w, &h, &b, &d);
        XSync(display, False);
        XSetErrorHandler(old);
        return ok && errors == 0;
    }
    Pixmap setUserPixmap() { return setUserRootPixmap(); }
    void setUserColour(unsigned long colour) {
        XSetWindowBackground(display, root, colour);
        XClearWindow(display, root);
        XSync(display, False);
    }
    // A window over the whole screen, as a full-screen program shows one.
    Window cover() {
        const Window w = XCreateSimpleWindow(display, root, 0, 0, kWidth, kHeight, 0, 0, 0x101010);
        XMapRaised(display, w);
        XSync(display, False);
        return w;
    }
    unsigned long rootPixel(int x, int y) {
        XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel;
    }

    Display* display = nullptr;
    Window root = None;

private:
    pid_t m_pid = -1;
    std::optional<std::string> m_env;
};

struct RootWindowWallpaper : testing::Test {
    void SetUp() override {
        std::filesystem::create_directories(state());
        writeFile(space(), makeBmp(64, 48, 7));
    }
    std::filesystem::path state() { return dir.path() / "state"; }
    std::string space() { return (dir.path() / "space.bmp").string(); }
    std::filesystem::path record() { return state() / "wallpaper-record"; }
    std::unique_ptr<XServer> server() {
        auto x = std::make_unique<XServer>();
        if (!x->display) return nullptr;
        return x;
    }
    // A keeper on a new bare X service: a start of the program.
    struct Run {
        explicit Run(RootWindowWallpaper& t)
            : service(wallpaper::makeRootWindowWallpaper()),
              keeper(*service, t.state(), [this](const std::string& m) { log += m + "\n"; }) {
            keeper.wallpaperSetting();
        }
        std::unique_ptr<platform::WallpaperService> service;
        std::string log;
        platform::WallpaperKeeper keeper;
    };
    TempDir dir;
};

#define NEED_X(x) \
    if (!(x)) GTEST_SKIP() << "no Xvfb to start a private X server"

TEST_F(RootWindowWallpaper, UnderAFullScreenWindowTheUsersBackgroundIsKeptAndOursIsFreed) {
    auto x = server();
    NEED_X(x);
    const Pixmap user = x->setUserPixmap();
    const Window window = x->cover();
    {
        Run run(*this);  // start and exit, the space picture never on
        EXPECT_TRUE(run.keeper.restoreWallpaper()) << run.log;
    }
    EXPECT_TRUE(x->exists(user)) << "the user's pixmap was freed";
    EXPECT_EQ(x->property("_XROOTPMAP_ID"), user);
    EXPECT_EQ(x->property("ESETROOT_PMAP_ID"), user);

    // On, off, on, exit: each space pixmap is freed once it goes off.
    Run run(*this);
    ASSERT_TRUE(run.keeper.setDeskWallpaper(space())) << run.log;
    const Pixmap first = x->property("_XROOTPMAP_ID");
    EXPECT_NE(first, user);
    ASSERT_TRUE(run.keeper.restoreWallpaper());
    EXPECT_FALSE(x->exists(first)) << "switching back did not free the space pixmap";
    ASSERT_TRUE(run.keeper.setDeskWallpaper(space()));
    const Pixmap second = x->property("_XROOTPMAP_ID");
    ASSERT_TRUE(run.keeper.restoreWallpaper());
    EXPECT_FALSE(x->exists(second));
    EXPECT_TRUE(x->exists(user));
    EXPECT_EQ(x->property("_XROOTPMAP_ID"), user);
    XUnmapWindow(x->display, window);
    XSync(x->display, False);
    EXPECT_EQ(x->rootPixel(10, 10), 0xe0c040u) << "the root does not show the user's pixmap";
    EXPECT_FALSE(std::filesystem::exists(record()));
}

TEST_F(RootWindowWallpaper, UnderAFullScreenWindowTheUsersColourComesBack) {
    auto x = server();
    NEED_X(x);
    x->setUserColour(0xc0a030);
    const Window window = x->cover();
    for (const bool spaceOn : {false, true}) {
        SCOPED_TRACE(spaceOn ? "space on, then exit" : "start and exit");
        Run run(*this);
        if (spaceOn) {
            ASSERT_TRUE(run.keeper.setDeskWallpaper(space())) << run.log;
        }
        EXPECT_TRUE(run.keeper.restoreWallpaper()) << run.log;
        XUnmapWindow(x->display, window);
        XSync(x->display, False);
        EXPECT_EQ(x->rootPixel(10, 10), 0xc0a030u);
        EXPECT_EQ(x->property("_XROOTPMAP_ID"), None);
        XMapRaised(x->display, window);
        XSync(x->display, False);
    }
}

TEST_F(RootWindowWallpaper, ARecordOfAnEarlierServerMatchesNothingOnTheNextOne) {
    std::string text;
    Pixmap space = None;
    {
        auto x = server();
        NEED_X(x);
        x->setUserColour(0x405060);
        Run run(*this);
        ASSERT_TRUE(run.keeper.setDeskWallpaper(this->space())) << run.log;
        space = x->property("_XROOTPMAP_ID");
        text = readFile(record());
    }  // the server ends with the session, the program killed with it
    auto x = server();
    NEED_X(x);
    const Pixmap user = x->setUserPixmap();
    // The new server hands out the ids the old one did.
    const std::string old = "pixmap " + std::to_string(space);
    ASSERT_NE(text.find(old), std::string::npos) << text;
    text.replace(text.find(old), old.size(), "pixmap " + std::to_string(user));
    writeFile(record(), text);

    Run run(*this);
    EXPECT_NE(run.log.find("stale crash record is removed"), std::string::npos) << run.log;
    EXPECT_FALSE(std::filesystem::exists(record()));
    EXPECT_TRUE(run.keeper.restoreWallpaper());
    EXPECT_TRUE(x->exists(user)) << "the user's new pixmap was freed";
    EXPECT_EQ(x->property("_XROOTPMAP_ID"), user);
    EXPECT_EQ(x->rootPixel(10, 10), 0xe0c040u) << "the earlier session's colour was put on the root";
}

TEST_F(RootWindowWallpaper, ARecordOfAnEarlierBuildStillGivesTheColourBack) {
    auto x = server();
    NEED_X(x);
    x->setUserColour(0x30c0a0);
    {
        Run run(*this);
        ASSERT_TRUE(run.keeper.setDeskWallpaper(space())) << run.log;
    }  // killed with the space picture on
    const Pixmap space = x->property("_XROOTPMAP_ID");
    // What an earlier build left: no mark on the root, a record without it.
    XDeleteProperty(x->display, x->root, XInternAtom(x->display, "_SKYROLL_WALLPAPER", False));
    XSync(x->display, False);
    // The record in the form the earlier build wrote it.
    const std::string shown = "pixmap " + std::to_string(space);
    const std::string background = "xrootpmap 0\nesetroot 0\ncolour " + std::to_string(0x30c0a0) + "\n";
    writeFile(record(), "skyroll wallpaper record 1\nservice 6\nbare X\nshown " +
                            std::to_string(shown.size()) + "\n" + shown + "\npath -\n\nsaved " +
                            std::to_string(background.size()) + "\n" + background + "\n");

    Run run(*this);
    EXPECT_NE(run.log.find("comes from the crash record"), std::string::npos) << run.log;
    EXPECT_TRUE(run.keeper.restoreWallpaper());
    EXPECT_EQ(x->rootPixel(10, 10), 0x30c0a0u);
    EXPECT_FALSE(x->exists(space));
    EXPECT_FALSE(std::filesystem::exists(record()));
}

}  // namespace
}  // namespace skyroll::test
