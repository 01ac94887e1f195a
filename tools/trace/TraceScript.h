#pragma once
// Scripts of timed user actions for the headless program, and the trace
// lines it prints. The formats are described in docs/trace.md.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/HeadlessToolkit.h"
#include "platform/headless/Record.h"

namespace skyroll::trace {

struct ScriptAction {
    double at = 0;             // virtual seconds
    std::string verb;          // tray, menu, mouse, activate, option, button, close
    std::string form;          // target form
    std::string target;        // control or menu item, or empty
    std::vector<double> numbers;
    int line = 0;
};

// Parses a script. Throws std::runtime_error naming the line of the first
// mistake. At most 100,000 actions and lines of 1,000 characters.
std::vector<ScriptAction> parseScript(std::string_view text);

// Queues every action on the toolkit's timeline.
void schedule(headless::HeadlessToolkit& toolkit, const std::vector<ScriptAction>& actions);

// One trace line: virtual time with three decimals, subject, what, value.
// Paths inside `appFolder` are shown relative to it.
std::string formatLine(const headless::Record& record, const std::filesystem::path& appFolder);

}  // namespace skyroll::trace
