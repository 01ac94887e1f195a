// The Xfce wallpaper against the real xfconfd on a private session bus
// (wallpaper_services.sh xfconfd): every monitor's and workspace's
// last-image goes over and comes back byte for byte, after a run killed
// between two property writes of its restore too.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/common/WallpaperKeeper.h"
#include "platform/wallpaper/WallpaperServices.h"
#include "tests/support/TestFiles.h"

namespace skyroll::test {
namespace {

QDBusMessage xfconf(const char* method) {
    return QDBusMessage::createMethodCall("org.xfce.Xfconf", "/org/xfce/Xfconf", "org.xfce.Xfconf", method);
}

void setProperty(const QString& property, const QVariant& value) {
    QDBusMessage call = xfconf("SetProperty");
    call << QStringLiteral("xfce4-desktop") << property << QVariant::fromValue(QDBusVariant(value));
    ASSERT_EQ(QDBusConnection::sessionBus().call(call).type(), QDBusMessage::ReplyMessage);
}

// Every property of the channel, as text.
std::map<QString, QString> channel() {
    QDBusMessage call = xfconf("GetAllProperties");
    call << QStringLiteral("xfce4-desktop") << QStringLiteral("/");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    std::map<QString, QString> properties;
    if (reply.arguments().isEmpty()) return properties;
    const QVariantMap all = qdbus_cast<QVariantMap>(reply.arguments().first());
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QVariant value = it.value().userType() == qMetaTypeId<QDBusVariant>()
                                   ? it.value().value<QDBusVariant>().variant()
                                   : it.value();
        properties[it.key()] = value.toString();
    }
    return properties;
}

struct XfconfWallpaper : testing::Test {
    void SetUp() override {
        const char* real = std::getenv("SKYROLL_REAL_SERVICE");
        if (!real || std::string(real) != "xfconfd") GTEST_SKIP() << "needs xfconfd (wallpaper_services.sh)";
        std::filesystem::create_directories(dir.path() / "state");
        const QString base = QStringLiteral("/backdrop/screen0/");
        for (const QString& monitor : {QStringLiteral("monitorVirtual-1"), QStringLiteral("monitorHDMI-2")})
            for (const QString& workspace : {QStringLiteral("workspace0"), QStringLiteral("workspace1")})
                setProperty(base + monitor + "/" + workspace + "/last-image",
                            QStringLiteral("/home/user/壁紙/") + monitor + " " + workspace + ".jpg");
        setProperty(base + "monitorHDMI-2/workspace0/image-style", 5);
        before = channel();
    }
    platform::WallpaperKeeper keeper(platform::WallpaperService& service) {
        return platform::WallpaperKeeper(service, dir.path() / "state", [](const std::string&) {});
    }
    TempDir dir;
    std::map<QString, QString> before;
    const std::string space = "/opt/sky roll/SKR20/BACK/宇宙.bmp";
    const std::string user = "/home/user/壁紙/monitorHDMI-2 workspace0.jpg";  // the first by name
};

TEST_F(XfconfWallpaper, EveryLastImageGoesOverAndComesBackByteForByte) {
    const auto service = wallpaper::makeXfceWallpaper();
    auto k = keeper(*service);
    EXPECT_EQ(k.wallpaperSetting(), user);
    ASSERT_TRUE(k.setDeskWallpaper(space));
    int images = 0;
    for (const auto& [name, value] : channel()) {
        if (name.endsWith("/last-image")) {
            ++images;
            EXPECT_EQ(value.toStdString(), space) << name.toStdString();
        } else {
            EXPECT_EQ(value, before[name]) << "only last-image is ours";
        }
    }
    EXPECT_EQ(images, 4);

    // Killed after the first property write of the restore: the next start
    // finds the rest on the space picture and puts every one back.
    const auto first = before.find("/backdrop/screen0/monitorHDMI-2/workspace0/last-image");
    setProperty(first->first, first->second);
    auto next = keeper(*service);
    EXPECT_EQ(next.wallpaperSetting(), user);
    ASSERT_TRUE(next.restoreWallpaper());
    EXPECT_EQ(channel(), before);
    EXPECT_FALSE(std::filesystem::exists(next.recordFile()));
}

}  // namespace
}  // namespace skyroll::test
