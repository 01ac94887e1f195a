#include "platform/headless/HeadlessToolkit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/headless/HeadlessForm.h"

namespace skyroll::headless {

namespace {
std::string describeTray(const platform::TrayIconData& d) {
    std::string tip(d.szTip, std::find(d.szTip, d.szTip + sizeof d.szTip, '\0'));
    return "cbSize=" + std::to_string(d.cbSize) + " hWnd=" + std::to_string(d.hWnd) +
           " uID=" + std::to_string(d.uID) + " uFlags=" + std::to_string(d.uFlags) +
           " uCallbackMessage=" + std::to_string(d.uCallbackMessage) + " hIcon=" + std::to_string(d.hIcon) +
           " szTip=" + tip;
}
}  // namespace

HeadlessToolkit::HeadlessToolkit(ScreenOptions options) : m_options(options) {}

HeadlessToolkit::~HeadlessToolkit() = default;

std::int64_t HeadlessToolkit::toUs(double seconds) { return std::llround(seconds * 1e6); }

std::unique_ptr<platform::Form> HeadlessToolkit::createForm(const platform::FormLayout& layout,
                                                            platform::FormEvents& events) {
    auto form = std::make_unique<HeadlessForm>(*this, layout, events, m_forms.newHandle());
    m_forms.add(form.get());
    return form;
}

HeadlessForm* HeadlessToolkit::findForm(std::string_view name) const {
    for (HeadlessForm* form : m_forms.all())
        if (form->loaded() && form->name() == name) return form;
    return nullptr;
}

void HeadlessToolkit::record(std::string subject, std::string what, std::string value) {
    if (!m_recording && !m_observer) return;
    Record r{m_nowUs, std::move(subject), std::move(what), std::move(value)};
    if (m_observer) m_observer(r);
    if (m_recording) m_records.push_back(std::move(r));
}

float HeadlessToolkit::secondsSinceMidnight() const {
    const double t = std::fmod(m_options.secondsSinceMidnightAtStart + monotonicSeconds(), 86400.0);
    return static_cast<float>(t);
}

// --- The event loop ----------------------------------------------------------

std::optional<HeadlessToolkit::Due> HeadlessToolkit::takeNext(std::int64_t limitUs) {
    // Posted events come before timers due at the same moment: a timer only
    // fires when nothing else is waiting, as on a real desktop.
    HeadlessControl* timer = nullptr;
    HeadlessForm* timerForm = nullptr;
    for (HeadlessForm* form : m_forms.all()) {
        for (auto& c : form->controls()) {
            if (c->armed() && (!timer || c->dueUs() < timer->dueUs())) {
                timer = c.get();
                timerForm = form;
            }
        }
    }
    const bool postedFirst =
        !m_posted.empty() && (!timer || m_posted.begin()->first <= std::max(timer->dueUs(), m_nowUs));
    if (postedFirst && m_posted.begin()->first <= limitUs) {
        auto it = m_posted.begin();
        Due due{it->first, std::move(it->second)};
        m_posted.erase(it);
        return due;
    }
    if (timer && timer->dueUs() <= limitUs) {
        const std::int64_t at = std::max(timer->dueUs(), m_nowUs);
        // The next tick counts from this one, before the handler runs, so a
        // nested loop inside the handler sees it correctly.
        m_nowUs = at;
        timer->rearm();
        std::string formName = timerForm->name(), timerName = timer->name();
        return Due{at, [this, formName, timerName] {
                       if (m_inputBlocked) return;
                       if (HeadlessForm* f = findForm(formName)) f->events().timer(timerName);
                   }};
    }
    return std::nullopt;
}

void HeadlessToolkit::dispatch(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const platform::ProgramEnded&) {
        // The program ended inside; nothing more of this handler runs.
    } catch (const std::exception& e) {
        if (m_failureHandler && !m_ended) {
            try {
                m_failureHandler(e.what());
            } catch (const platform::ProgramEnded&) {
            }
        } else if (!m_ended) {
            quit(1);
        }
    }
}

void HeadlessToolkit::throwIfEnded() const {
    if (m_ended) throw platform::ProgramEnded{};
}

void HeadlessToolkit::doEvents() {
    throwIfEnded();
    // Only what is pending now; time does not move.
    for (int guard = 0; guard < 100000; ++guard) {
        auto next = takeNext(m_nowUs);
        if (!next) break;
        dispatch(next->run);
        throwIfEnded();
    }
}

void HeadlessToolkit::runUntil(double deadline) {
    throwIfEnded();
    const std::int64_t deadlineUs = toUs(deadline);
    while (auto next = takeNext(deadlineUs)) {
        m_nowUs = std::max(m_nowUs, next->timeUs);
        dispatch(next->run);
        throwIfEnded();
    }
    m_nowUs = std::max(m_nowUs, deadlineUs);
}

void HeadlessToolkit::runFor(double seconds) {
    const std::int64_t deadlineUs = m_nowUs + toUs(seconds);
    while (!m_ended) {
        auto next = takeNext(deadlineUs);
        if (!next) break;
        m_nowUs = std::max(m_nowUs, next->timeUs);
        dispatch(next->run);
    }
    if (!m_ended) m_nowUs = std::max(m_nowUs, deadlineUs);
}

int HeadlessToolkit::run() {
    runFor(static_cast<double>(m_runLimitUs - m_nowUs) / 1e6);
    return m_ended ? m_exitCode : -1;
}

void HeadlessToolkit::quit(int code) {
    if (m_ended) return;
    m_ended = true;
    m_exitCode = code;
    record("program", "ended", std::to_string(code));
}

void HeadlessToolkit::post(double at, std::function<void()> action) {
    m_posted.emplace(std::max(toUs(at), m_nowUs), std::move(action));
}

// --- User actions ------------------------------------------------------------

void HeadlessToolkit::trayCallback(int code) {
    postAction([this, code] {
        if (m_trays.all().empty() || m_inputBlocked) {
            record("tray", "ignored", std::to_string(code));
            return;
        }
        if (HeadlessForm* form = m_forms.find(m_trays.all().front().hWnd)) {
            record("tray", "callback", std::to_string(code));
            form->events().mouseMove("", 0, 0, static_cast<float>(code), 0);
        }
    });
}

void HeadlessToolkit::chooseMenu(std::string_view formName, std::string_view item) {
    postAction([this, f = std::string(formName), i = std::string(item)] {
        HeadlessForm* form = findForm(f);
        HeadlessMenuItem* menu = form ? form->findMenu(i) : nullptr;
        if (!menu || !menu->isCommand() || !menu->choosable() || m_inputBlocked) {
            record(f + "." + i, "ignored", "menu");
            return;
        }
        record(f + "." + i, "chosen", "");
        form->events().menuClick(i);
    });
}

void HeadlessToolkit::mouseMove(std::string_view formName, std::string_view control, int button, int shift,
                                float x, float y) {
    postAction([=, this, f = std::string(formName), c = std::string(control)] {
        if (HeadlessForm* form = findForm(f); form && !m_inputBlocked)
            form->events().mouseMove(c, button, shift, x, y);
    });
}

void HeadlessToolkit::activate(std::string_view formName) {
    postAction([this, f = std::string(formName)] {
        if (HeadlessForm* form = findForm(f); form && !m_inputBlocked) {
            record(f, "activated", "");
            form->events().activate();
        }
    });
}

void HeadlessToolkit::selectOption(std::string_view formName, std::string_view control) {
    postAction([this, f = std::string(formName), c = std::string(control)] {
        HeadlessForm* form = findForm(f);
        HeadlessControl* option = form ? form->findControl(c) : nullptr;
        if (!option || m_inputBlocked) return;
        option->setValue(true);
        form->events().click(c);
    });
}

void HeadlessToolkit::pressButton(std::string_view formName, std::string_view control) {
    postAction([this, f = std::string(formName), c = std::string(control)] {
        if (HeadlessForm* form = findForm(f); form && form->findControl(c) && !m_inputBlocked)
            form->events().click(c);
    });
}

void HeadlessToolkit::closeWindow(std::string_view formName) {
    postAction([this, f = std::string(formName)] {
        if (HeadlessForm* form = findForm(f); form && !m_inputBlocked) form->unload();
    });
}

void HeadlessToolkit::answerNextMenu(std::string item, std::function<bool()> when) {
    m_menuAnswer = MenuAnswer{std::move(item), std::move(when)};
}

void HeadlessToolkit::answerNextMessage(std::function<bool()> when) { m_messageAnswer = std::move(when); }

void HeadlessToolkit::holdUntil(const std::function<bool()>& answered, const std::function<bool()>& closed) {
    // Events go on until the user answers, or nothing is left that could
    // change their mind (the user answers then).
    while (!answered() && !closed()) {
        throwIfEnded();
        auto next = takeNext(m_runLimitUs + 3'600'000'000LL);
        if (!next) break;
        m_nowUs = std::max(m_nowUs, next->timeUs);
        dispatch(next->run);
    }
    throwIfEnded();
}

std::optional<std::string> HeadlessToolkit::holdMenu(HeadlessForm& form, std::string_view menu) {
    if (!m_menuAnswer) return std::nullopt;
    const MenuAnswer answer = std::move(*m_menuAnswer);
    m_menuAnswer.reset();
    // A fatal message or the form's unload closes the menu first.
    holdUntil(answer.when, [&] { return !form.loaded() || m_inputBlocked; });
    const HeadlessMenuItem* chosen = form.findMenu(answer.item);
    if (!chosen || !chosen->isCommand() || !chosen->choosable() || !chosen->under(menu) || !form.loaded() ||
        m_inputBlocked) {
        record(form.name(), "popup closed", std::string(menu));
        return std::nullopt;
    }
    record(form.name() + "." + answer.item, "chosen", "");
    return answer.item;
}

// --- Tray, foreground, regions, failures -------------------------------------

bool HeadlessToolkit::shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) {
    if (message == platform::NIM_ADD) {
        record("tray", "add", describeTray(data));
        if (!m_options.trayAvailable || !m_forms.find(data.hWnd) || m_trays.find(data.hWnd, data.uID))
            return false;
        m_trays.add(data);
        return true;
    }
    if (message == platform::NIM_DELETE) {
        record("tray", "delete", describeTray(data));
        if (!m_trays.remove(data.hWnd, data.uID)) return false;
        return true;
    }
    record("tray", "message-" + std::to_string(message), describeTray(data));
    return false;
}

bool HeadlessToolkit::setForegroundWindow(platform::WindowHandle window) {
    record("desktop", "foreground", std::to_string(window));
    return m_forms.find(window) != nullptr;
}

std::optional<platform::TrayIconData> HeadlessToolkit::trayIcon() const {
    if (m_trays.all().empty()) return std::nullopt;
    return m_trays.all().front();
}

platform::RegionHandle HeadlessToolkit::createEllipticRgn(int left, int top, int right, int bottom) {
    const std::string box = "ellipse " + std::to_string(left) + "," + std::to_string(top) + "," +
                            std::to_string(right) + "," + std::to_string(bottom);
    const platform::RegionHandle handle = m_regions.add(box);
    record("region:" + std::to_string(handle), "created", box);
    return handle;
}

int HeadlessToolkit::setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) {
    HeadlessForm* form = m_forms.find(window);
    if (!form || !m_regions.givable(region)) {
        record("region:" + std::to_string(region), "set-failed", std::to_string(window));
        return 0;
    }
    record("region:" + std::to_string(region), "set", form->name() + (redraw ? " redraw" : ""));
    m_regions.give(window, region);  // the window frees its former region
    return 1;
}

bool HeadlessToolkit::deleteObject(platform::RegionHandle region) {
    // A region a window owns is the window's: it goes with the window.
    if (m_regions.owned(region)) {
        record("region:" + std::to_string(region), "deleted", "owned by a window");
        return false;
    }
    const bool live = m_regions.takeFree(region).has_value();
    record("region:" + std::to_string(region), "deleted", live ? "" : "not a live region");
    return live;
}

void HeadlessToolkit::releaseWindowRegion(platform::WindowHandle window) {
    const platform::RegionHandle region = m_regions.ownedBy(window);
    if (m_regions.releaseWindow(window)) record("region:" + std::to_string(region), "freed", "");
}

void HeadlessToolkit::setFailureHandler(std::function<void(const std::string&)> handler) {
    m_failureHandler = std::move(handler);
}

void HeadlessToolkit::showMessage(const std::string& message) {
    throwIfEnded();
    m_messages.push_back(message);
    record("program", "notice", message);
    if (auto answer = std::exchange(m_messageAnswer, nullptr)) holdUntil(answer, [] { return false; });
}

void HeadlessToolkit::showFatalMessage(const std::string& message) {
    m_inputBlocked = true;  // no timer, menu or tray event reaches the program any more
    if (m_fatalMessage || m_ended) return;
    m_fatalMessage = message;
    record("program", "message", message);
    try {
        if (auto answer = std::exchange(m_messageAnswer, nullptr)) holdUntil(answer, [] { return false; });
    } catch (const platform::ProgramEnded&) {
        // Ended while the message was up: nothing more to wait for.
    }
}

}  // namespace skyroll::headless
