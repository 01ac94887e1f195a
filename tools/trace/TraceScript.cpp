#include "tools/trace/TraceScript.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace skyroll::trace {
namespace {

constexpr std::size_t kMaxActions = 100000;
constexpr std::size_t kMaxLine = 1000;

struct Verb {
    std::string_view name;
    bool needsTarget;    // "form.control" rather than "form"
    std::size_t numbers; // how many numbers follow
};

constexpr Verb kVerbs[] = {
    {"tray", false, 1},     {"menu", true, 0},   {"mouse", true, 3},  {"activate", false, 0},
    {"option", true, 0},    {"button", true, 0}, {"close", false, 0},
};

[[noreturn]] void mistake(int line, const std::string& what) {
    throw std::runtime_error("script line " + std::to_string(line) + ": " + what);
}

double number(const std::string& word, int line) {
    std::size_t used = 0;
    double v = 0;
    try {
        v = std::stod(word, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != word.size()) mistake(line, "not a number: " + word);
    return v;
}

}  // namespace

std::vector<ScriptAction> parseScript(std::string_view text) {
    std::vector<ScriptAction> actions;
    std::istringstream in{std::string(text)};
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        if (raw.size() > kMaxLine) mistake(lineNo, "line too long");
        if (const auto hash = raw.find('#'); hash != std::string::npos) raw.erase(hash);
        std::istringstream words(raw);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        if (actions.size() >= kMaxActions) mistake(lineNo, "too many actions");
        if (w.size() < 2) mistake(lineNo, "expected a time and an action");
        ScriptAction a;
        a.line = lineNo;
        a.at = number(w[0], lineNo);
        if (a.at < 0) mistake(lineNo, "negative time");
        a.verb = w[1];
        const Verb* verb = nullptr;
        for (const Verb& v : kVerbs)
            if (v.name == a.verb) verb = &v;
        if (!verb) mistake(lineNo, "unknown action " + a.verb);
        std::size_t next = 2;
        if (a.verb == "tray") {
            a.form = "fSky_Roll";
        } else {
            if (w.size() <= next) mistake(lineNo, "expected a form or control name");
            const std::string& name = w[next++];
            const auto dot = name.find('.');
            if (verb->needsTarget) {
                // "menu mMIN" means the globe window's menu.
                if (dot == std::string::npos && a.verb == "menu") {
                    a.form = "fSky_Roll";
                    a.target = name;
                } else if (dot == std::string::npos) {
                    mistake(lineNo, "expected form.control, got " + name);
                } else {
                    a.form = name.substr(0, dot);
                    a.target = name.substr(dot + 1);
                }
            } else {
                if (dot != std::string::npos) mistake(lineNo, "expected a form name, got " + name);
                a.form = name;
            }
        }
        if (w.size() - next < verb->numbers || w.size() - next > verb->numbers + (a.verb == "mouse" ? 1 : 0))
            mistake(lineNo, "wrong number of values for " + a.verb);
        for (; next < w.size(); ++next) a.numbers.push_back(number(w[next], lineNo));
        actions.push_back(std::move(a));
    }
    return actions;
}

void schedule(headless::HeadlessToolkit& tk, const std::vector<ScriptAction>& actions) {
    for (const ScriptAction& a : actions) {
        tk.post(a.at, [&tk, a] {
            if (a.verb == "tray") {
                tk.trayCallback(static_cast<int>(a.numbers[0]));
            } else if (a.verb == "menu") {
                tk.chooseMenu(a.form, a.target);
            } else if (a.verb == "mouse") {
                const int shift = a.numbers.size() > 3 ? static_cast<int>(a.numbers[3]) : 0;
                tk.mouseMove(a.form, a.target, static_cast<int>(a.numbers[0]), shift,
                             static_cast<float>(a.numbers[1]), static_cast<float>(a.numbers[2]));
            } else if (a.verb == "activate") {
                tk.activate(a.form);
            } else if (a.verb == "option") {
                tk.selectOption(a.form, a.target);
            } else if (a.verb == "button") {
                tk.pressButton(a.form, a.target);
            } else if (a.verb == "close") {
                tk.closeWindow(a.form);
            }
        });
    }
}

std::string formatLine(const headless::Record& record, const std::filesystem::path& appFolder) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", static_cast<double>(record.timeUs) / 1e6);
    std::string value = record.value;
    const std::u8string generic = appFolder.generic_u8string();
    const std::string prefix = std::string(generic.begin(), generic.end()) + "/";
    if (!appFolder.empty() && value.compare(0, prefix.size(), prefix) == 0) value.erase(0, prefix.size());
    std::string line = std::string(time) + " " + record.subject + " " + record.what;
    if (!value.empty()) line += " " + value;
    return line;
}

}  // namespace skyroll::trace
