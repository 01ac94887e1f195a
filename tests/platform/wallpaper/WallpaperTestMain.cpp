// The wallpaper services' tests. GSettings runs on its keyfile backend in a
// temporary home (or on dconf, see wallpaper_services.sh), set up here before
// GIO reads the environment; the D-Bus services need a QCoreApplication.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "tests/support/TestFiles.h"

int main(int argc, char** argv) {
    skyroll::test::TempDir home;
    // A real service on a private bus (wallpaper_services.sh) keeps its store
    // in the home the caller made for it and the service.
    if (!std::getenv("SKYROLL_REAL_SERVICE")) {
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
    }
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
