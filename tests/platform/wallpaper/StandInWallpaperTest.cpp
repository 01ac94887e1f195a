// Plasma and Xfce wallpapers against stand-ins for their services on a
// private session bus (desktop_stand_in.py, started by wallpaper_dbus.sh),
// and the choice of a service from what answers on the bus.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <cstdlib>

#include "platform/common/WallpaperKeeper.h"
#include "platform/wallpaper/WallpaperServices.h"
#include "tests/support/TestFiles.h"

namespace skyroll::test {
namespace {

QJsonObject standInState() {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall("org.kde.plasmashell", "/StandIn", "org.skyroll.StandIn", "State"));
    return QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8()).object();
}

struct StandInWallpaper : testing::Test {
    void SetUp() override {
        if (!std::getenv("SKYROLL_STAND_IN"))
            GTEST_SKIP() << "needs the stand-in services (wallpaper_dbus.sh)";
        std::filesystem::create_directories(dir.path() / "state");
    }
    platform::WallpaperKeeper keeper(platform::WallpaperService& service) {
        return platform::WallpaperKeeper(service, dir.path() / "state", [](const std::string&) {});
    }
    TempDir dir;
    const std::string space = "/opt/sky roll/SKR20/BACK/宇宙.bmp";
};

TEST_F(StandInWallpaper, TheServiceIsChosenFromWhatAnswersOnTheBus) {
    std::string log;
    const auto service = wallpaper::chooseWallpaperService([&](const std::string& m) { log += m; });
    EXPECT_EQ(service->name(), "KDE Plasma");
    EXPECT_NE(log.find("org.kde.plasmashell on the session bus"), std::string::npos) << log;
}

TEST_F(StandInWallpaper, PlasmaEveryDesktopGoesOverAndComesBack) {
    const auto service = wallpaper::makePlasmaWallpaper();
    const QJsonValue before = standInState()["plasma"];
    auto k = keeper(*service);
    EXPECT_EQ(k.wallpaperSetting(), "/home/user/Pictures/morning sun.jpg");

    ASSERT_TRUE(k.setDeskWallpaper(space));
    const QString spaceUri =
        QString::fromUtf8(QUrl::fromLocalFile(QString::fromStdString(space)).toEncoded());
    for (const QJsonValue& d : standInState()["plasma"].toArray()) {
        EXPECT_EQ(d["plugin"].toString(), "org.kde.image");
        EXPECT_EQ(d["image"].toString(), spaceUri);
    }
    auto next = keeper(*service);  // a start after a crash
    EXPECT_EQ(next.wallpaperSetting(), "/home/user/Pictures/morning sun.jpg");

    ASSERT_TRUE(k.setDeskWallpaper("/home/user/Pictures/morning sun.jpg"));
    EXPECT_EQ(standInState()["plasma"], before) << "every desktop's plugin and picture come back";
    EXPECT_FALSE(std::filesystem::exists(k.recordFile()));
}

TEST_F(StandInWallpaper, XfceEveryMonitorAndWorkspaceGoesOverAndComesBack) {
    const auto service = wallpaper::makeXfceWallpaper();
    const QJsonObject before = standInState()["xfconf"].toObject();
    auto k = keeper(*service);
    const std::string user = "/home/user/壁紙 一.png";
    EXPECT_EQ(k.wallpaperSetting(), user);

    ASSERT_TRUE(k.setDeskWallpaper(space));
    const QJsonObject on = standInState()["xfconf"].toObject();
    for (auto it = on.begin(); it != on.end(); ++it) {
        if (it.key().endsWith("/last-image"))
            EXPECT_EQ(it->toString().toStdString(), space) << it.key().toStdString();
        else
            EXPECT_EQ(*it, before[it.key()]) << "only last-image is ours";
    }
    auto next = keeper(*service);
    EXPECT_EQ(next.wallpaperSetting(), user);

    ASSERT_TRUE(k.setDeskWallpaper(user));
    EXPECT_EQ(standInState()["xfconf"].toObject(), before);
    EXPECT_FALSE(std::filesystem::exists(k.recordFile()));
}

}  // namespace
}  // namespace skyroll::test
