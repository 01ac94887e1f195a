// Xfce's wallpaper through xfconf on the session bus: the channel
// xfce4-desktop keeps one last-image per monitor and workspace.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>
#include <map>

#include "platform/wallpaper/KillStep.h"
#include "platform/wallpaper/WallpaperServices.h"

namespace skyroll::wallpaper {
namespace {

constexpr int kTimeoutMs = 10000;
const QString kChannel = QStringLiteral("xfce4-desktop");

QDBusMessage xfconfCall(const char* method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.xfce.Xfconf"),
                                          QStringLiteral("/org/xfce/Xfconf"),
                                          QStringLiteral("org.xfce.Xfconf"), QString::fromLatin1(method));
}

class XfceWallpaper final : public platform::WallpaperService {
public:
    std::string_view name() const override { return "Xfce"; }

    std::optional<platform::WallpaperState> read() override {
        const auto images = lastImages();
        if (!images) return std::nullopt;
        platform::WallpaperState state;
        // The main picture: the first monitor's first workspace, by name.
        const QString main = images->isEmpty() ? QString() : images->begin()->toString();
        state.path = QFile::encodeName(main).toStdString();
        state.shown = *state.path;
        state.saved = QJsonDocument(*images).toJson(QJsonDocument::Compact).toStdString();
        return state;
    }

    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override {
        const auto images = lastImages();
        if (!images || images->isEmpty()) return false;  // no monitor known to put it on
        if (!committing(path)) return false;
        killStep();
        const QString value = QFile::decodeName(QByteArray::fromStdString(path));
        bool ok = true;
        for (auto it = images->begin(); it != images->end(); ++it) ok = setProperty(it.key(), value) && ok;
        return ok;
    }

    bool restore(const std::string& saved) override {
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(saved));
        if (!document.isObject()) return false;
        const QJsonObject images = document.object();
        bool ok = true;
        for (auto it = images.begin(); it != images.end(); ++it)
            ok = setProperty(it.key(), it->toString()) && ok;
        // Back only when xfconf holds every property as it was.
        const auto now = lastImages();
        return ok && now && *now == images;
    }

    // Every property is compared: a run ended between two property writes
    // leaves some on the picture and some back.
    Standing standing(const platform::WallpaperState& now, const std::string& shown,
                      const std::string& userSaved) const override {
        // Compared as the picture's text: the path in the user's encoding.
        const auto places = [](const std::string& saved) {
            std::map<std::string, std::string> values;
            const QJsonObject images = QJsonDocument::fromJson(QByteArray::fromStdString(saved)).object();
            for (auto it = images.begin(); it != images.end(); ++it)
                values[it.key().toStdString()] = QFile::encodeName(it->toString()).toStdString();
            return values;
        };
        return standingOfPlaces(places(now.saved), places(userSaved), shown);
    }

private:
    // Every ".../last-image" property under /backdrop, by name; std::nullopt
    // when xfconf does not answer.
    static std::optional<QJsonObject> lastImages() {
        QDBusMessage call = xfconfCall("GetAllProperties");
        call << kChannel << QStringLiteral("/backdrop");
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().first());
        QJsonObject images;
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            if (!it.key().endsWith(QStringLiteral("/last-image"))) continue;
            const QVariant value = it.value().userType() == qMetaTypeId<QDBusVariant>()
                                       ? it.value().value<QDBusVariant>().variant()
                                       : it.value();
            images.insert(it.key(), value.toString());
        }
        return images;
    }

    static bool setProperty(const QString& property, const QString& value) {
        QDBusMessage call = xfconfCall("SetProperty");
        call << kChannel << property << QVariant::fromValue(QDBusVariant(value));
        const bool ok = QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs).type() ==
                        QDBusMessage::ReplyMessage;
        killStep();  // after the answer: xfconf holds the value
        return ok;
    }
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makeXfceWallpaper() { return std::make_unique<XfceWallpaper>(); }

}  // namespace skyroll::wallpaper
