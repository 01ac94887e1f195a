#include "platform/win32/Win32Control.h"

#include <algorithm>
#include <cmath>

#include "platform/Units.h"
#include "platform/win32/Win32Form.h"
#include "platform/win32/Win32Support.h"
#include "platform/win32/Win32Toolkit.h"

namespace skyroll::win32 {

using platform::ControlKind;
using platform::ScaleUnit;

namespace {

COLORREF colorRef(const platform::Rgb& c) { return RGB(c.r, c.g, c.b); }

HFONT createFont(const platform::FontSpec& spec, double twipsPerPixelY) {
    // Points to pixels through the screen's logical DPI (72 points an inch).
    const double dpi = 1440.0 / twipsPerPixelY;
    const int height = -int(std::lround(spec.points * dpi / 72.0));
    const BYTE charset = spec.charset == platform::kShiftJisCharset ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    return CreateFontW(height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       widen(spec.face).c_str());
}

}  // namespace

Win32Control::Win32Control(Win32Form& form, const platform::ControlLayout& layout, Win32Control* container,
                           UINT_PTR timerId)
    : m_form(form),
      m_name(layout.name),
      m_kind(layout.kind),
      m_container(container),
      m_containerScale(container ? container->ownScale() : form.scale()),
      m_ownScale(layout.kind == ControlKind::PictureBox ? layout.scale : m_containerScale),
      m_foreColor(layout.foreColor),
      m_backColor(layout.backColor),
      m_transparent(layout.transparent),
      m_alignment(layout.alignment),
      m_timerId(timerId),
      m_enabled(layout.enabled),
      m_interval(std::max(0, layout.interval)),
      m_caption(layout.caption) {
    // Creation positions are twips whatever the container counts in.
    Win32Toolkit& toolkit = form.toolkit();
    const double tppX = toolkit.twipsPerPixelX(), tppY = toolkit.twipsPerPixelY();
    const long x = platform::twipsToPixels(layout.left, tppX), y = platform::twipsToPixels(layout.top, tppY);
    m_rect = RECT{x, y, x + std::max(0L, platform::twipsToPixels(layout.width, tppX)),
                  y + std::max(0L, platform::twipsToPixels(layout.height, tppY))};
    if (m_kind == ControlKind::Timer) {
        updateTimer();
        return;
    }
    if (layout.font) m_font = createFont(*layout.font, tppY);
    if (!layout.picture.empty()) {
        m_picture = toolkit.embeddedPicture(layout.picture, form.name() + "." + m_name);
        if (m_picture) m_source = layout.picture, ++m_serial;
    }

    const HWND parent = containerWindow();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const DWORD shown = WS_VISIBLE | WS_CHILD | WS_CLIPSIBLINGS | (layout.tabIndex >= 0 ? WS_TABSTOP : 0);
    const int w = int(m_rect.right - m_rect.left), h = int(m_rect.bottom - m_rect.top);
    switch (m_kind) {
        case ControlKind::PictureBox:
        case ControlKind::Frame:
            m_window = CreateWindowExW(0, Win32Toolkit::kPaneClass, L"", shown | WS_CLIPCHILDREN, int(x),
                                       int(y), w, h, parent, nullptr, instance, nullptr);
            if (m_window) toolkit.windowCreated(m_window, &form, this);
            break;
        case ControlKind::OptionButton:
            // Grouping is ours: one group per container (see setValue).
            m_window = CreateWindowExW(0, L"BUTTON", widen(m_caption).c_str(), shown | BS_RADIOBUTTON, int(x),
                                       int(y), w, h, parent, nullptr, instance, nullptr);
            break;
        case ControlKind::CommandButton:
            m_window = CreateWindowExW(0, L"BUTTON", widen(m_caption).c_str(), shown | BS_PUSHBUTTON, int(x),
                                       int(y), w, h, parent, nullptr, instance, nullptr);
            break;
        case ControlKind::Label:
        case ControlKind::Image:
        case ControlKind::Timer:
            break;
    }
    if (m_window) {
        // A control made later lies above the earlier ones it overlaps.
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(m_window, WM_SETFONT, WPARAM(m_font ? m_font : toolkit.dialogFont()), FALSE);
        if (!m_enabled) EnableWindow(m_window, FALSE);
    }
}

Win32Control::~Win32Control() {
    stopTimer();
    if (m_window) DestroyWindow(m_window);
    if (m_font) DeleteObject(m_font);
    if (m_brush) DeleteObject(m_brush);
}

bool Win32Control::light() const { return m_kind == ControlKind::Label || m_kind == ControlKind::Image; }

HWND Win32Control::containerWindow() const { return m_container ? m_container->window() : m_form.window(); }

double Win32Control::unitsPerPixelX() const {
    return m_containerScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelX();
}
double Win32Control::unitsPerPixelY() const {
    return m_containerScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelY();
}
double Win32Control::mouseUnitsPerPixelX() const {
    return m_ownScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelX();
}
double Win32Control::mouseUnitsPerPixelY() const {
    return m_ownScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelY();
}

// --- Geometry, state ---------------------------------------------------------

void Win32Control::invalidate(const RECT& rect) const {
    if (HWND container = containerWindow()) InvalidateRect(container, &rect, FALSE);
}

void Win32Control::moveTo(RECT rect) {
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    const RECT old = m_rect;
    m_rect = rect;
    if (m_window) {
        MoveWindow(m_window, int(rect.left), int(rect.top), int(rect.right - rect.left),
                   int(rect.bottom - rect.top), TRUE);
    } else if (light() && m_visible) {
        invalidate(old);
        invalidate(m_rect);
    }
}

void Win32Control::setLeft(double v) {
    RECT r = m_rect;
    const long x = platform::twipsToPixels(v, unitsPerPixelX());
    OffsetRect(&r, int(x - r.left), 0);
    moveTo(r);
}
void Win32Control::setTop(double v) {
    RECT r = m_rect;
    const long y = platform::twipsToPixels(v, unitsPerPixelY());
    OffsetRect(&r, 0, int(y - r.top));
    moveTo(r);
}
void Win32Control::setWidth(double v) {
    RECT r = m_rect;
    r.right = r.left + platform::twipsToPixels(v, unitsPerPixelX());
    moveTo(r);
}
void Win32Control::setHeight(double v) {
    RECT r = m_rect;
    r.bottom = r.top + platform::twipsToPixels(v, unitsPerPixelY());
    moveTo(r);
}

void Win32Control::setVisible(bool v) {
    if (m_kind == ControlKind::Timer) {
        m_visible = v;
        return;
    }
    const bool changed = v != m_visible;
    m_visible = v;
    if (m_window)
        ShowWindow(m_window, v ? SW_SHOWNA : SW_HIDE);
    else if (changed)
        invalidate(m_rect);
}

void Win32Control::setCaption(std::string_view utf8) {
    if (m_caption == utf8) return;
    m_caption = utf8;
    if (m_kind == ControlKind::OptionButton || m_kind == ControlKind::CommandButton) {
        if (m_window) SetWindowTextW(m_window, widen(utf8).c_str());
    } else if (m_window) {
        InvalidateRect(m_window, nullptr, FALSE);
    } else if (m_visible && light()) {
        invalidate(m_rect);
    }
}

void Win32Control::setEnabled(bool v) {
    const bool was = m_enabled;
    m_enabled = v;
    if (m_kind == ControlKind::Timer) {
        // Enabling a stopped timer restarts its countdown; enabling a running
        // one changes nothing.
        if (v != was) updateTimer();
        return;
    }
    if (m_window)
        EnableWindow(m_window, v);
    else if (light() && v != was)
        invalidate(m_rect);
}

void Win32Control::setInterval(int ms) {
    m_interval = std::max(0, ms);
    updateTimer();  // any new interval counts from now
}

void Win32Control::updateTimer() {
    if (m_kind != ControlKind::Timer) return;
    HWND window = m_form.window();
    if (m_enabled && m_interval > 0 && m_form.loaded() && window && !m_form.toolkit().inputBlocked()) {
        // Setting an existing timer again starts its countdown afresh.
        m_ticking = SetTimer(window, m_timerId, UINT(m_interval), nullptr) != 0;
    } else {
        stopTimer();
    }
}

void Win32Control::stopTimer() {
    if (m_kind != ControlKind::Timer || !m_ticking) return;
    if (HWND window = m_form.window()) KillTimer(window, m_timerId);
    m_ticking = false;
}

// --- Option buttons ------------------------------------------------------------

bool Win32Control::value() const {
    if (m_kind != ControlKind::OptionButton) return false;
    return m_window ? SendMessageW(m_window, BM_GETCHECK, 0, 0) == BST_CHECKED : m_value;
}

void Win32Control::uncheckSiblings() {
    for (const auto& other : m_form.controls())
        if (other.get() != this && other->kind() == ControlKind::OptionButton &&
            other->container() == m_container)
            other->setValue(false);
}

void Win32Control::setValue(bool v) {
    if (m_kind != ControlKind::OptionButton || !m_window) return;
    // Selecting one clears the others of its container; the program may
    // also clear them all.
    if (v) uncheckSiblings();
    SendMessageW(m_window, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Control::clicked() {
    if (m_kind == ControlKind::OptionButton) setValue(true);
    Win32Toolkit& toolkit = m_form.toolkit();
    toolkit.dispatch([this, &toolkit] {
        if (m_form.takesEvents()) m_form.events().click(m_name);
    });
}

HBRUSH Win32Control::colorButton(HDC dc) {
    SetTextColor(dc, m_foreColor ? colorRef(*m_foreColor) : GetSysColor(COLOR_BTNTEXT));
    if (!m_backColor) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    SetBkColor(dc, colorRef(*m_backColor));
    if (!m_brush) m_brush = CreateSolidBrush(colorRef(*m_backColor));
    return m_brush;
}

// --- Pictures and painting -----------------------------------------------------

bool Win32Control::loadPicture(const std::filesystem::path& file) {
    if (m_kind != ControlKind::PictureBox && m_kind != ControlKind::Image) return false;
    // A frame unchanged on disk costs one look at its identity: the cache
    // gives the bitmap decoded before, shared, not copied.
    std::string error;
    auto picture = m_form.toolkit().pictures().load<Bitmap>(file, readBitmapFile, &error);
    if (!picture) {
        trace("skyroll.frames", "picture failed " + m_form.name() + "." + m_name + " " +
                                    narrow(file.wstring()) + " : " + error);
        return false;
    }
    m_picture = std::move(picture);
    m_source = narrow(file.filename().wstring());
    ++m_serial;
    if (m_window)
        InvalidateRect(m_window, nullptr, FALSE);
    else if (m_visible)
        invalidate(m_rect);
    return true;
}

void Win32Control::paintFace(HDC dc, const RECT& clip) {
    const RECT client{0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
    if (m_backColor) {
        HBRUSH fill = CreateSolidBrush(colorRef(*m_backColor));
        FillRect(dc, &clip, fill);
        DeleteObject(fill);
    } else {
        FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (m_picture) m_picture->draw(dc, 0, 0, clip);
    if (m_kind == ControlKind::Frame) {
        // A group box: an etched edge with the caption set into its top.
        HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : m_form.toolkit().dialogFont());
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT edge = client;
        edge.top += metrics.tmHeight / 2;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        if (!m_caption.empty()) {
            const std::wstring text = widen(m_caption);
            SetTextColor(dc, m_foreColor ? colorRef(*m_foreColor) : GetSysColor(COLOR_BTNTEXT));
            SetBkColor(dc, m_backColor ? colorRef(*m_backColor) : GetSysColor(COLOR_BTNFACE));
            SetBkMode(dc, OPAQUE);
            TextOutW(dc, 8, 0, text.c_str(), int(text.size()));
        }
        SelectObject(dc, oldFont);
    }
    if (m_kind == ControlKind::PictureBox && m_serial != m_shownSerial) {
        m_shownSerial = m_serial;
        trace("skyroll.frames", "shown " + m_form.name() + "." + m_name + " " + m_source);
    }
}

void Win32Control::paintLight(HDC dc, const RECT& clip) const {
    RECT area;
    if (!IntersectRect(&area, &m_rect, &clip)) return;
    if (m_kind == ControlKind::Image) {
        if (!m_picture) return;
        m_picture->draw(dc, int(m_rect.left), int(m_rect.top), area);
        if (m_serial != m_shownSerial) {
            m_shownSerial = m_serial;
            trace("skyroll.frames", "shown " + m_form.name() + "." + m_name + " " + m_source);
        }
        return;
    }
    if (!m_transparent) {
        HBRUSH fill = m_backColor ? CreateSolidBrush(colorRef(*m_backColor)) : nullptr;
        FillRect(dc, &area, fill ? fill : GetSysColorBrush(COLOR_BTNFACE));
        if (fill) DeleteObject(fill);
    }
    if (m_caption.empty()) return;
    const std::wstring text = widen(m_caption);
    HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : m_form.toolkit().dialogFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !m_enabled    ? GetSysColor(COLOR_GRAYTEXT)
                     : m_foreColor ? colorRef(*m_foreColor)
                                   : GetSysColor(COLOR_BTNTEXT));
    // One line, cut at the edge, as the other builds show captions.
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
    format |= m_alignment == platform::Alignment::Center  ? DT_CENTER
              : m_alignment == platform::Alignment::Right ? DT_RIGHT
                                                          : DT_LEFT;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, int(area.left), int(area.top), int(area.right), int(area.bottom));
    RECT box = m_rect;
    DrawTextW(dc, text.c_str(), int(text.size()), &box, format);
    RestoreDC(dc, saved);
    SelectObject(dc, oldFont);
}

// --- Menu items ----------------------------------------------------------------

Win32MenuItem::Win32MenuItem(std::string name, HMENU parent, UINT position, HMENU submenu, UINT command,
                             bool checked, bool enabled)
    : m_name(std::move(name)),
      m_parent(parent),
      m_position(position),
      m_submenu(submenu),
      m_command(command),
      m_checked(checked),
      m_enabled(enabled) {
    setChecked(checked);
    setEnabled(enabled);
}

bool Win32MenuItem::checked() const {
    if (!m_parent) return m_checked;
    const UINT state = GetMenuState(m_parent, m_position, MF_BYPOSITION);
    return state != UINT(-1) && (state & MF_CHECKED) != 0;
}

void Win32MenuItem::setChecked(bool v) {
    m_checked = v;
    if (m_parent) CheckMenuItem(m_parent, m_position, MF_BYPOSITION | (v ? MF_CHECKED : MF_UNCHECKED));
}

bool Win32MenuItem::enabled() const {
    if (!m_parent) return m_enabled;
    const UINT state = GetMenuState(m_parent, m_position, MF_BYPOSITION);
    return state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void Win32MenuItem::setEnabled(bool v) {
    m_enabled = v;
    if (m_parent) EnableMenuItem(m_parent, m_position, MF_BYPOSITION | (v ? MF_ENABLED : MF_GRAYED));
}

}  // namespace skyroll::win32
