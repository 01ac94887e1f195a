// The command string of W3getv, as the downloaders read it.

#include <gtest/gtest.h>

#include <string>

#include "platform/download/W3getvCommand.h"

namespace skyroll::platform {
namespace {

TEST(ParseW3getvCommand, ReadsTheOptionsFromTheRight) {
    struct Case {
        const char* command;
        std::optional<W3getvRequest> expected;
    };
    const Case cases[] = {
        {"-d /c/WORLDTEMP -j sjis -o EU.html http://h/world/wd011.html",
         W3getvRequest{"/c/WORLDTEMP", "EU.html", "http://h/world/wd011.html"}},
        {"-d /c/my -j sjis -o x/WORLDTEMP -j sjis -o EU.html http://h/p",
         W3getvRequest{"/c/my -j sjis -o x/WORLDTEMP", "EU.html", "http://h/p"}},
        {"-d /c/a b -o EU.html http://h/p", W3getvRequest{"/c/a b", "EU.html", "http://h/p"}},
        {"-d /c -j sjis -o ../x.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o /tmp/x.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o a/b.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o a\\b.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o .. http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o  http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis http://h/p", std::nullopt},
        {"-o EU.html -d /c http://h/p", std::nullopt},
        {"-d  -j sjis -o EU.html http://h/p", std::nullopt},
        {"-d /c -j sjis -o EU.html ", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = parseW3getvCommand(c.command);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.command;
        if (!got) continue;
        EXPECT_EQ(got->folder, c.expected->folder) << c.command;
        EXPECT_EQ(got->file, c.expected->file) << c.command;
        EXPECT_EQ(got->address, c.expected->address) << c.command;
    }
}

}  // namespace
}  // namespace skyroll::platform
