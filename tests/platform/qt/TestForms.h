#pragma once
// Small layouts and an event recorder for the Qt toolkit tests.

#include <functional>
#include <string>
#include <vector>

#include "platform/Layout.h"
#include "platform/Toolkit.h"

namespace skyroll::qt::test {

// Records every event as "kind name args" and runs an optional hook.
class RecordingEvents final : public platform::FormEvents {
public:
    void activate() override { note("activate"); }
    void unload() override { note("unload"); }
    void mouseMove(std::string_view control, int button, int shift, float x, float y) override;
    void timer(std::string_view timer) override { note("timer " + std::string(timer)); }
    void menuClick(std::string_view item) override { note("menu " + std::string(item)); }
    void click(std::string_view control) override { note("click " + std::string(control)); }

    int count(const std::string& entry) const;
    std::vector<std::string> log;
    std::function<void(const std::string&)> hook;

private:
    void note(std::string entry);
};

// A globe-like window: pixels outside, a twips picture box with a label and
// an image inside, a timer, and a menu tree.
platform::FormLayout globeLikeLayout();

}  // namespace skyroll::qt::test
