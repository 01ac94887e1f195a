// KDE Plasma's wallpaper through the shell's scripting interface
// (org.kde.PlasmaShell.evaluateScript on the session bus): every desktop
// containment of every screen, its wallpaper plugin and its picture.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include "platform/wallpaper/WallpaperServices.h"

namespace skyroll::wallpaper {
namespace {

constexpr int kTimeoutMs = 10000;
constexpr char kImagePlugin[] = "org.kde.image";

// A JSON text is also a JavaScript literal, once the two line separators that
// older JavaScript does not allow inside strings are escaped.
QString scriptLiteral(const QJsonValue& value) {
    QJsonArray wrapper{value};
    QString text = QString::fromUtf8(QJsonDocument(wrapper).toJson(QJsonDocument::Compact));
    text = text.mid(1, text.size() - 2);
    text.replace(QChar(0x2028), QStringLiteral("\\u2028")).replace(QChar(0x2029), QStringLiteral("\\u2029"));
    return text;
}

const QString kReadScript = QStringLiteral(R"(
var out = [];
var all = desktops();
for (var i = 0; i < all.length; ++i) {
    var d = all[i];
    d.currentConfigGroup = ["Wallpaper", "org.kde.image", "General"];
    out.push({id: d.id, screen: d.screen, plugin: String(d.wallpaperPlugin), image: String(d.readConfig("Image", ""))});
}
print(JSON.stringify(out));
)");

const QString kSetScript = QStringLiteral(R"(
var all = desktops();
for (var i = 0; i < all.length; ++i) {
    var d = all[i];
    d.wallpaperPlugin = "org.kde.image";
    d.currentConfigGroup = ["Wallpaper", "org.kde.image", "General"];
    d.writeConfig("Image", %1);
}
)");

const QString kRestoreScript = QStringLiteral(R"(
var saved = %1;
var all = desktops();
for (var i = 0; i < all.length; ++i) {
    var d = all[i];
    for (var j = 0; j < saved.length; ++j) {
        if (saved[j].id != d.id) continue;
        d.wallpaperPlugin = saved[j].plugin;
        d.currentConfigGroup = ["Wallpaper", "org.kde.image", "General"];
        d.writeConfig("Image", saved[j].image);
    }
}
)");

std::string shownOf(const QString& plugin, const QString& image) {
    return (plugin + '\n' + image).toStdString();
}

class PlasmaWallpaper final : public platform::WallpaperService {
public:
    std::string_view name() const override { return "KDE Plasma"; }

    std::optional<platform::WallpaperState> read() override {
        const auto output = evaluate(kReadScript);
        if (!output) return std::nullopt;
        const QJsonDocument document = QJsonDocument::fromJson(output->trimmed().toUtf8());
        if (!document.isArray()) return std::nullopt;
        const QJsonArray desktops = document.array();
        // The main picture is that of the first screen's desktop.
        QJsonObject main;
        for (const QJsonValue& value : desktops) {
            const QJsonObject d = value.toObject();
            if (main.isEmpty() ||
                (d["screen"].toInt() >= 0 &&
                 (main["screen"].toInt() < 0 || d["screen"].toInt() < main["screen"].toInt())))
                main = d;
        }
        platform::WallpaperState state;
        const QString plugin = main["plugin"].toString(), image = main["image"].toString();
        state.shown = shownOf(plugin, image);
        if (plugin != kImagePlugin || image.isEmpty())
            state.path = std::string();
        else if (const QUrl url(image); url.isLocalFile())
            state.path = QFile::encodeName(url.toLocalFile()).toStdString();
        else
            state.path = image.toStdString();
        state.saved = QJsonDocument(desktops).toJson(QJsonDocument::Compact).toStdString();
        return state;
    }

    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override {
        const QString uri = QString::fromUtf8(
            QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))).toEncoded());
        if (!committing(shownOf(kImagePlugin, uri))) return false;
        return evaluate(kSetScript.arg(scriptLiteral(uri))).has_value();
    }

    bool restore(const std::string& saved) override {
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(saved));
        if (!document.isArray()) return false;
        return evaluate(kRestoreScript.arg(QString::fromUtf8(document.toJson(QJsonDocument::Compact))))
            .has_value();
    }

private:
    // The script's printed output; std::nullopt when the shell does not
    // answer or the script fails.
    static std::optional<QString> evaluate(const QString& script) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
            QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
        call << script;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
        return reply.arguments().value(0).toString();
    }
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makePlasmaWallpaper() {
    return std::make_unique<PlasmaWallpaper>();
}

}  // namespace skyroll::wallpaper
