#include "tests/platform/qt/TestForms.h"

#include <algorithm>
#include <cstdio>

namespace skyroll::qt::test {

using platform::ControlKind;
using platform::ControlLayout;
using platform::FormLayout;
using platform::MenuLayout;
using platform::ScaleUnit;

void RecordingEvents::mouseMove(std::string_view control, int button, int shift, float x, float y) {
    char text[96];
    std::snprintf(text, sizeof text, "move %.*s %d %d %g %g", int(control.size()), control.data(), button,
                  shift, double(x), double(y));
    note(text);
}

void RecordingEvents::note(std::string entry) {
    log.push_back(entry);
    if (hook) hook(entry);
}

int RecordingEvents::count(const std::string& entry) const {
    return int(std::count(log.begin(), log.end(), entry));
}

FormLayout globeLikeLayout() {
    FormLayout f;
    f.name = "fGlobe";
    f.title = "Globe test";
    f.left = 1500;
    f.top = 1500;
    f.width = 2700;
    f.height = 2750;
    f.scale = ScaleUnit::Pixels;
    f.backColor = platform::Rgb{0, 0, 0};

    ControlLayout picture;
    picture.name = "Picture1";
    picture.kind = ControlKind::PictureBox;
    picture.width = 2685;
    picture.height = 2745;
    picture.scale = ScaleUnit::Twips;
    picture.backColor = platform::Rgb{0, 0, 0};
    f.controls.push_back(picture);

    ControlLayout label;
    label.name = "Label3";
    label.kind = ControlKind::Label;
    label.container = "Picture1";
    label.caption = "最新データ更新中...";
    label.left = 390;
    label.top = 1140;
    label.width = 2025;
    label.height = 285;
    label.font = platform::FontSpec{"ＭＳ Ｐゴシック", 11.25, true};
    label.foreColor = platform::Rgb{255, 0, 0};
    label.transparent = true;
    f.controls.push_back(label);

    ControlLayout image;
    image.name = "Image1";
    image.kind = ControlKind::Image;
    image.container = "Picture1";
    image.left = 1320;
    image.top = 180;
    image.width = 450;
    image.height = 450;
    f.controls.push_back(image);

    ControlLayout timer;
    timer.name = "Timer1";
    timer.kind = ControlKind::Timer;
    timer.interval = 0;
    f.controls.push_back(timer);

    MenuLayout root{"mMenu", "Menu", false, true, {}};
    root.children.push_back({"mSET",
                             "OPTION",
                             false,
                             true,
                             {{"mTENKI", "Weather", true, true, {}}, {"mMOON", "Moon", false, true, {}}}});
    root.children.push_back({"mOFF", "Disabled", false, false, {}});
    root.children.push_back({"mEnd", "EXIT", false, true, {}});
    f.menu = root;
    return f;
}

}  // namespace skyroll::qt::test
