#include "forms/Layouts.h"

namespace skyroll::app {

using platform::Alignment;
using platform::ControlKind;
using platform::ControlLayout;
using platform::FontSpec;
using platform::FormKind;
using platform::FormLayout;
using platform::MenuLayout;
using platform::Rgb;
using platform::ScaleUnit;

namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

ControlLayout label(std::string_view name, std::string_view container, std::string_view caption, int left,
                    int top, int width, int height) {
    ControlLayout c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.container = container;
    c.caption = caption;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

ControlLayout option(std::string_view name, std::string_view frame, std::string_view caption, int left,
                     int top, int width, int height, int tabIndex) {
    ControlLayout c = label(name, frame, caption, left, top, width, height);
    c.kind = ControlKind::OptionButton;
    c.foreColor = kWhite;
    c.backColor = kBlack;
    c.tabIndex = tabIndex;
    return c;
}

MenuLayout item(std::string_view name, std::string_view caption, bool checked = false) {
    return MenuLayout{name, caption, checked, true, {}};
}

FormLayout makeSkyRoll() {
    FormLayout f;
    f.name = "fSky_Roll";
    f.title = "Skyroll";
    f.kind = FormKind::Main;
    f.left = 3435;
    f.top = 1665;
    f.width = 4845;
    f.height = 3855;
    f.scale = ScaleUnit::Pixels;
    f.backColor = kBlack;
    f.backPicture = "starfield.jpg";
    f.icon = "globe.ico";

    ControlLayout picture;
    picture.name = "Picture1";
    picture.kind = ControlKind::PictureBox;
    picture.width = 2685;
    picture.height = 2745;
    picture.picture = "globe_creation.bmp";
    picture.scale = ScaleUnit::Twips;
    picture.backColor = kBlack;
    f.controls.push_back(picture);

    const FontSpec big{kFormFont, 11.25, true};
    ControlLayout label3 = label("Label3", "Picture1", "最新データ更新中...", 2400, 2310, 2025, 285);
    label3.foreColor = kRed;
    label3.transparent = true;
    label3.font = big;
    f.controls.push_back(label3);

    ControlLayout label4 = label("Label4", "Picture1", "1/7 取得", 1860, 2550, 1995, 255);
    label4.foreColor = kRed;
    label4.transparent = true;
    label4.alignment = Alignment::Center;
    label4.font = big;
    f.controls.push_back(label4);

    ControlLayout label2 = label("Label2", "Picture1", "国名", 900, 630, 1335, 195);
    label2.foreColor = kWhite;
    label2.transparent = true;
    label2.alignment = Alignment::Center;
    label2.font = FontSpec{kFormFont, 9, true};
    f.controls.push_back(label2);

    ControlLayout image1 = label("Image1", "Picture1", "", 1320, 180, 450, 450);
    image1.kind = ControlKind::Image;
    image1.picture = "sun.gif";
    f.controls.push_back(image1);

    ControlLayout timer1;
    timer1.name = "Timer1";
    timer1.kind = ControlKind::Timer;
    timer1.interval = 200;
    f.controls.push_back(timer1);

    // The live weather's refresh while the program runs; set going by the
    // first activation when EARTH.INI asks for one.
    ControlLayout timer2;
    timer2.name = "Timer2";
    timer2.kind = ControlKind::Timer;
    timer2.enabled = false;
    f.controls.push_back(timer2);

    // The globe by day and night drawn afresh; set going while the menu's
    // day-and-night item is on.
    ControlLayout timer3;
    timer3.name = "Timer3";
    timer3.kind = ControlKind::Timer;
    timer3.enabled = false;
    f.controls.push_back(timer3);

    f.menu = MenuLayout{"mMenu",
                        "メニュー",
                        false,
                        true,
                        {
                            MenuLayout{"mSET",
                                       "OPTION",
                                       false,
                                       true,
                                       {item("mSETTING", "初期設定"), item("mSPACE", "宇宙化"),
                                        item("mTENKI", "天気表示", true), item("mMOON", "月表示"),
                                        item("mDAYNIGHT", "昼夜表示")}},
                            MenuLayout{"mSPEED",
                                       "SPEED",
                                       false,
                                       true,
                                       {item("mMAX", "MAXIMUM"), item("mHI", "HI SPEED"),
                                        item("mNOR", "NORMAL", true), item("mLOW", "LOW SPEED"),
                                        item("mMIN", "MINIMUM")}},
                            item("mEnd", "EXIT"),
                        }};
    return f;
}

FormLayout makeSetting() {
    FormLayout f;
    f.name = "fSetting";
    f.title = "Skyroll 初期設定";
    f.kind = FormKind::Dialog;
    f.width = 6255;
    f.height = 3165;
    f.scale = ScaleUnit::Twips;
    f.backColor = kBlack;
    f.backPicture = "starfield.jpg";
    f.palette = "palette_starfield.bmp";

    ControlLayout title0 = label("Label1(0)", "", "表示位置", 2670, 210, 735, 195);
    title0.foreColor = kWhite;
    title0.transparent = true;
    title0.tabIndex = 0;
    f.controls.push_back(title0);

    ControlLayout frame1 = label("Frame1", "", "", 1050, 450, 4005, 585);
    frame1.kind = ControlKind::Frame;
    frame1.backColor = kBlack;
    frame1.tabIndex = 1;
    f.controls.push_back(frame1);
    f.controls.push_back(option("Option1(0)", "Frame1", "右上", 150, 210, 855, 285, 2));
    f.controls.push_back(option("Option1(1)", "Frame1", "右下", 930, 210, 855, 285, 3));
    f.controls.push_back(option("Option1(2)", "Frame1", "中央", 1680, 210, 855, 285, 4));
    f.controls.push_back(option("Option1(3)", "Frame1", "左上", 2430, 210, 855, 285, 5));
    f.controls.push_back(option("Option1(4)", "Frame1", "左下", 3180, 210, 705, 285, 6));

    ControlLayout title1 = label("Label1(1)", "", "回転速度", 2670, 1260, 735, 195);
    title1.foreColor = kWhite;
    title1.transparent = true;
    title1.tabIndex = 7;
    f.controls.push_back(title1);

    ControlLayout frame2 = label("Frame2", "", "", 1050, 1560, 4005, 585);
    frame2.kind = ControlKind::Frame;
    frame2.backColor = kBlack;
    frame2.tabIndex = 8;
    f.controls.push_back(frame2);
    f.controls.push_back(option("Option2(0)", "Frame2", "超高速", 150, 240, 855, 225, 9));
    f.controls.push_back(option("Option2(1)", "Frame2", "高速", 1020, 240, 675, 225, 10));
    f.controls.push_back(option("Option2(2)", "Frame2", "標準", 1680, 240, 675, 225, 11));
    f.controls.push_back(option("Option2(3)", "Frame2", "低速", 2400, 240, 675, 225, 12));
    f.controls.push_back(option("Option2(4)", "Frame2", "超低速", 3120, 240, 855, 225, 13));

    ControlLayout ok = label("Command1", "", "OK", 2550, 2460, 1005, 285);
    ok.kind = ControlKind::CommandButton;
    ok.backColor = kWhite;
    ok.tabIndex = 14;
    f.controls.push_back(ok);
    return f;
}

FormLayout makeMoon() {
    FormLayout f;
    f.name = "fMoon";
    f.title = "Skyroll Moon";
    f.kind = FormKind::Tool;
    f.width = 3780;
    f.height = 2925;
    f.scale = ScaleUnit::Pixels;

    ControlLayout picture;
    picture.name = "Picture1";
    picture.kind = ControlKind::PictureBox;
    picture.left = 1050;
    picture.top = 630;
    picture.width = 1665;
    picture.height = 1635;
    picture.picture = "moon_full.bmp";
    picture.scale = ScaleUnit::Twips;
    f.controls.push_back(picture);

    ControlLayout timer1;
    timer1.name = "Timer1";
    timer1.kind = ControlKind::Timer;
    timer1.interval = 100;
    f.controls.push_back(timer1);
    return f;
}

}  // namespace

const FormLayout& SkyRollLayout() {
    static const FormLayout layout = makeSkyRoll();
    return layout;
}

const FormLayout& SettingLayout() {
    static const FormLayout layout = makeSetting();
    return layout;
}

const FormLayout& MoonLayout() {
    static const FormLayout layout = makeMoon();
    return layout;
}

}  // namespace skyroll::app
