#include "platform/headless/HeadlessForm.h"

#include <cmath>
#include <cstdio>

#include "platform/Units.h"
#include "platform/headless/HeadlessToolkit.h"

namespace skyroll::headless {

using platform::ControlKind;
using platform::ScaleUnit;

std::string formatNumber(double v) {
    char buffer[64];
    if (std::abs(v - std::round(v)) < 1e-9) {
        std::snprintf(buffer, sizeof buffer, "%.0f", v);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.3f", v);
        std::string text = buffer;
        while (text.back() == '0') text.pop_back();
        return text;
    }
    return buffer;
}

// --- HeadlessControl ---------------------------------------------------------

HeadlessControl::HeadlessControl(HeadlessForm& form, const platform::ControlLayout& layout)
    : m_form(form),
      m_layout(layout),
      m_name(layout.name),
      m_enabled(layout.enabled),
      m_interval(layout.interval),
      m_caption(layout.caption),
      m_picture(layout.picture) {
    // Creation positions are twips; the container may count in pixels.
    const double tpp = m_form.tppX();
    m_leftPx = platform::twipsToPixels(layout.left, tpp);
    m_topPx = platform::twipsToPixels(layout.top, m_form.tppY());
    m_widthPx = platform::twipsToPixels(layout.width, tpp);
    m_heightPx = platform::twipsToPixels(layout.height, m_form.tppY());
    rearm();
}

double HeadlessControl::unitsPerPixel() const {
    ScaleUnit scale = m_form.layout().scale;
    if (!m_layout.container.empty()) {
        for (const auto& c : m_form.layout().controls)
            if (c.name == m_layout.container) scale = c.scale;
    }
    return scale == ScaleUnit::Pixels ? 1.0 : m_form.tppX();
}

void HeadlessControl::record(const char* what, std::string value) {
    m_form.record(m_form.name() + "." + m_name, what, std::move(value));
}

void HeadlessControl::setGeometry(const char* what, long& px, double v) {
    px = std::lround(v / unitsPerPixel());
    record(what, formatNumber(fromPixels(px)));
}

void HeadlessControl::setVisible(bool v) {
    m_visible = v;
    record("visible", v ? "true" : "false");
}

void HeadlessControl::setCaption(std::string_view utf8) {
    m_caption = utf8;
    record("caption", m_caption);
}

bool HeadlessControl::armed() const {
    return m_layout.kind == ControlKind::Timer && m_enabled && m_interval > 0 && m_form.loaded();
}

void HeadlessControl::rearm() { m_dueUs = m_form.toolkit().nowUs() + std::int64_t{m_interval} * 1000; }

void HeadlessControl::setEnabled(bool v) {
    const bool was = m_enabled;
    m_enabled = v;
    if (v && !was) rearm();
    record("enabled", v ? "true" : "false");
}

void HeadlessControl::setInterval(int ms) {
    m_interval = ms < 0 ? 0 : ms;
    rearm();
    record("interval", std::to_string(m_interval));
}

void HeadlessControl::setValue(bool v) {
    if (m_layout.kind != ControlKind::OptionButton) return;
    if (v) {
        for (auto& other : m_form.controls())
            if (other.get() != this && other->m_layout.kind == ControlKind::OptionButton &&
                other->m_layout.container == m_layout.container)
                other->m_value = false;
    }
    m_value = v;
    record("value", v ? "true" : "false");
}

bool HeadlessControl::loadPicture(const std::filesystem::path& file) {
    // Recorded with "/" and in UTF-8 on every system, so a timeline reads alike.
    const std::u8string generic = file.generic_u8string();
    const std::string name(generic.begin(), generic.end());
    std::string error;
    auto picture = m_form.toolkit().pictures().load(file, &error);
    if (!picture) {
        record("picture-failed", name + ": " + error);
        return false;
    }
    m_decoded = std::move(picture);
    m_picture = name;
    record("picture", m_picture);
    return true;
}

// --- HeadlessMenuItem --------------------------------------------------------

HeadlessMenuItem::HeadlessMenuItem(HeadlessForm& form, const platform::MenuLayout& layout,
                                   HeadlessMenuItem* parent)
    : m_form(form),
      m_name(layout.name),
      m_parent(parent),
      m_checked(layout.checked),
      m_enabled(layout.enabled),
      m_isCommand(layout.children.empty()) {}

void HeadlessMenuItem::setChecked(bool v) {
    m_checked = v;
    m_form.record(m_form.name() + "." + m_name, "checked", v ? "true" : "false");
}

void HeadlessMenuItem::setEnabled(bool v) {
    m_enabled = v;
    m_form.record(m_form.name() + "." + m_name, "enabled", v ? "true" : "false");
}

bool HeadlessMenuItem::under(std::string_view menu) const {
    for (const HeadlessMenuItem* item = m_parent; item; item = item->m_parent)
        if (item->m_name == menu) return true;
    return false;
}

bool HeadlessMenuItem::choosable() const {
    for (const HeadlessMenuItem* item = this; item; item = item->m_parent)
        if (!item->m_enabled) return false;
    return true;
}

// --- HeadlessForm ------------------------------------------------------------

HeadlessForm::HeadlessForm(HeadlessToolkit& toolkit, const platform::FormLayout& layout,
                           platform::FormEvents& events, platform::WindowHandle handle)
    : m_toolkit(toolkit), m_layout(layout), m_events(events), m_name(layout.name), m_handle(handle) {
    m_leftPx = platform::twipsToPixels(layout.left, tppX());
    m_topPx = platform::twipsToPixels(layout.top, tppY());
    m_width = layout.width;
    m_height = layout.height;
    for (const auto& c : layout.controls) m_controls.push_back(std::make_unique<HeadlessControl>(*this, c));
    if (layout.menu) addMenu(*layout.menu, nullptr);
    record(m_name, "created",
           formatNumber(left()) + "," + formatNumber(top()) + " " + formatNumber(m_width) + "x" +
               formatNumber(m_height));
}

HeadlessForm::~HeadlessForm() {
    if (m_state.drop()) m_toolkit.releaseWindowRegion(m_handle);
    m_toolkit.formGone(this);
}

void HeadlessForm::addMenu(const platform::MenuLayout& layout, HeadlessMenuItem* parent) {
    m_menus.push_back(std::make_unique<HeadlessMenuItem>(*this, layout, parent));
    HeadlessMenuItem* self = m_menus.back().get();
    for (const auto& child : layout.children) addMenu(child, self);
}

double HeadlessForm::tppX() const { return m_toolkit.twipsPerPixelX(); }
double HeadlessForm::tppY() const { return m_toolkit.twipsPerPixelY(); }

void HeadlessForm::record(std::string subject, std::string what, std::string value) {
    m_toolkit.record(std::move(subject), std::move(what), std::move(value));
}

void HeadlessForm::setLeft(double twips) {
    m_leftPx = platform::twipsToPixels(twips, tppX());
    record(m_name, "left", formatNumber(left()));
}

void HeadlessForm::setTop(double twips) {
    m_topPx = platform::twipsToPixels(twips, tppY());
    record(m_name, "top", formatNumber(top()));
}

void HeadlessForm::setWidth(double twips) {
    m_width = twips;
    record(m_name, "width", formatNumber(m_width));
}

void HeadlessForm::setHeight(double twips) {
    m_height = twips;
    record(m_name, "height", formatNumber(m_height));
}

void HeadlessForm::show() {
    if (!loaded()) return;
    const bool was = m_visible;
    m_visible = true;
    record(m_name, "visible", "true");
    // A window that appears becomes the active window.
    if (!was) m_toolkit.activate(m_name);
}

void HeadlessForm::hide() {
    m_visible = false;
    record(m_name, "visible", "false");
}

void HeadlessForm::showModal() {
    m_toolkit.throwIfEnded();
    if (!loaded()) return;
    show();
    record(m_name, "modal", "true");
    while (loaded()) {
        m_toolkit.throwIfEnded();
        auto next = m_toolkit.takeNext(m_toolkit.m_runLimitUs + 3'600'000'000LL);
        if (!next) {
            // Nothing can ever close the dialog: the simulation is over.
            m_toolkit.record("program", "stalled", m_name);
            m_toolkit.quit(-2);
            throw platform::ProgramEnded{};
        }
        m_toolkit.m_nowUs = std::max(m_toolkit.m_nowUs, next->timeUs);
        m_toolkit.dispatch(next->run);
    }
    m_toolkit.throwIfEnded();
}

void HeadlessForm::unload() {
    m_state.unload([this] { m_events.unload(); },
                   [this] {
                       m_visible = false;
                       m_toolkit.releaseWindowRegion(m_handle);  // a window frees the region it owns
                       record(m_name, "unloaded", "");
                   });
}

HeadlessControl* HeadlessForm::findControl(std::string_view name) {
    return platform::findNamed(m_controls, name);
}

HeadlessMenuItem* HeadlessForm::findMenu(std::string_view name) { return platform::findNamed(m_menus, name); }

platform::Control& HeadlessForm::control(std::string_view name) {
    if (auto* c = findControl(name)) return *c;
    platform::throwNoSuch("control", name, m_name);
}

platform::MenuItem& HeadlessForm::menu(std::string_view name) {
    if (auto* m = findMenu(name)) return *m;
    platform::throwNoSuch("menu item", name, m_name);
}

void HeadlessForm::popupMenu(std::string_view menu) {
    m_toolkit.throwIfEnded();
    const HeadlessMenuItem* item = findMenu(menu);
    if (!item || item->isCommand()) platform::throwNoSuch("submenu", menu, m_name);
    if (m_toolkit.inputBlocked() || !loaded()) return;
    record(m_name, "popup", std::string(menu));
    if (const auto chosen = m_toolkit.holdMenu(*this, menu)) m_events.menuClick(*chosen);
}

void HeadlessForm::repaintNow() { record(m_name, "repaint", ""); }

}  // namespace skyroll::headless
