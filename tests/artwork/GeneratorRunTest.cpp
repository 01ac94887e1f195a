// Running the generator itself: the same bytes on every run, and a plain
// failure when the day map cannot be used.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "tests/artwork/ArtworkFiles.h"

namespace skyroll::artwork::test {
namespace {

namespace fs = std::filesystem;

struct GeneratorResult {
    int status;
    std::string errors;
};

GeneratorResult runGenerator(const fs::path& output, const fs::path& dayMap) {
    const fs::path log = output.string() + ".stderr";
    const std::string command = std::string("\"") + SKYROLL_TEST_GENERATOR + "\" \"" + output.string() +
                                "\" \"" + dayMap.string() + "\" > /dev/null 2> \"" + log.string() + "\"";
    const int status = std::system(command.c_str());
    std::ifstream in(log);
    return {status, std::string(std::istreambuf_iterator<char>(in), {})};
}

fs::path freshFolder(const char* name) {
    // A folder of this run's own, so parallel runs never share it.
    const fs::path dir =
        fs::temp_directory_path() / ("skyroll_artwork_run-" + std::to_string(std::random_device{}())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir.parent_path());
    return dir;
}

// Every file the second run wrote stands in the build with the same bytes.
// Files the program itself keeps in the data folder (EARTH.INI, WEATHER.INI)
// are not the generator's and are not compared.
void expectSameFiles(const fs::path& again, const fs::path& built) {
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(again)) {
        if (!entry.is_regular_file()) continue;
        const fs::path other = built / fs::relative(entry.path(), again);
        ASSERT_TRUE(fs::exists(other)) << other;
        EXPECT_TRUE(readAll(entry.path()) == readAll(other)) << entry.path() << " differs between runs";
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

TEST(GeneratorRun, SecondRunWritesTheSameBytes) {
    const fs::path out = freshFolder("again");
    const GeneratorResult run = runGenerator(out, SKYROLL_TEST_DAY_MAP);
    ASSERT_EQ(run.status, 0) << run.errors;
    expectSameFiles(out / "SKR20", dataDir());
    expectSameFiles(out / "assets", assetsDir());
    fs::remove_all(out.parent_path());
}

TEST(GeneratorRun, FailsPlainlyWithoutAUsableDayMap) {
    const fs::path out = freshFolder("broken");
    const GeneratorResult missing = runGenerator(out, out.string() + "-no-such-map.jpg");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.errors.find("xplanet-images"), std::string::npos) << missing.errors;

    const fs::path notJpeg = out.string() + "-not-a-map.jpg";
    std::ofstream(notJpeg) << "GIF89a, not a day map";
    const GeneratorResult broken = runGenerator(out, notJpeg);
    EXPECT_NE(broken.status, 0);
    EXPECT_NE(broken.errors.find("not a readable JPEG"), std::string::npos) << broken.errors;
    EXPECT_FALSE(fs::exists(out / "SKR20" / "earth" / "EarthMap_1.bmp"));
    fs::remove_all(out.parent_path());
}

}  // namespace
}  // namespace skyroll::artwork::test
