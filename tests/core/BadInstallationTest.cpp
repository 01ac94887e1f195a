// Frames that cannot be shown, missing or whatever stands under their names:
// the program ends with one message naming the file and undoes what it did to
// the desktop; it never waits on a named pipe or allocates for a size a
// header merely claims.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

// A BMP header that claims `side` x `side` pixels of 24 bits over a few
// bytes of pixels.
std::string bmpClaiming(std::int32_t side) {
    std::string bmp = makeBmp(2, 2, 1);
    std::memcpy(bmp.data() + 18, &side, 4);
    std::memcpy(bmp.data() + 22, &side, 4);
    return bmp;
}

struct BadFrame {
    const char* name;
    bool moon;  // a moon frame, shown once the moon is opened
    enum Kind { Missing, NamedPipe, HugeHeader, Bytes } kind;
    const char* bytes = "";
};

class BadFrameTest : public testing::TestWithParam<BadFrame> {};

TEST_P(BadFrameTest, EndsWithOneMessageAndTheCleanUp) {
    const BadFrame& c = GetParam();
    Scenario s;
    writeMoonFrames(s.app());
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");
    const fs::path frame =
        s.app() / "SKR20" /
        (c.moon ? fs::path("moon") / "MoonMap_3.bmp" : fs::path("earth") / "EarthMap_3.bmp");
    fs::remove(frame);
    if (c.kind == BadFrame::NamedPipe && !makeNamedPipe(frame)) GTEST_SKIP() << "no named pipes here";
    if (c.kind == BadFrame::HugeHeader) writeFile(frame, bmpClaiming(60000));
    if (c.kind == BadFrame::Bytes) writeFile(frame, c.bytes);
    s.start();
    if (c.moon) s.toolkit().chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(10);
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_EQ(s.toolkit().exitCode(), 1);
    ASSERT_TRUE(s.toolkit().fatalMessage());
    EXPECT_NE(s.toolkit().fatalMessage()->find(frame.filename().string()), std::string::npos)
        << *s.toolkit().fatalMessage();
    EXPECT_EQ(s.sim->records("program", "message").size(), 1u);
    EXPECT_FALSE(s.toolkit().trayIcon());
    EXPECT_EQ(
        s.sim->records("region:" + std::to_string(s.sim->program().state().WindowRegion), "deleted").size(),
        1u);
    EXPECT_EQ(s.sim->desktop().wallpapersSet(), std::vector<std::string>{"/home/user/wallpaper.png"});
    if (!c.moon) {
        EXPECT_EQ(s.sim->records("fSky_Roll.Picture1", "picture").size(), 2u);
    }
    const fs::file_type left = c.kind == BadFrame::Missing     ? fs::file_type::not_found
                               : c.kind == BadFrame::NamedPipe ? fs::file_type::fifo
                                                               : fs::file_type::regular;
    EXPECT_EQ(fs::symlink_status(frame).type(), left);
}

INSTANTIATE_TEST_SUITE_P(Frames, BadFrameTest,
                         testing::Values(BadFrame{"GlobeMissing", false, BadFrame::Missing},
                                         BadFrame{"GlobeNotAPicture", false, BadFrame::Bytes, "hello"},
                                         BadFrame{"GlobeTruncatedBitmap", false, BadFrame::Bytes, "BM\x10"},
                                         BadFrame{"GlobeClaimingHugeSize", false, BadFrame::HugeHeader},
                                         BadFrame{"MoonClaimingHugeSize", true, BadFrame::HugeHeader},
                                         BadFrame{"GlobeAsNamedPipe", false, BadFrame::NamedPipe},
                                         BadFrame{"MoonAsNamedPipe", true, BadFrame::NamedPipe}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skyroll::test
