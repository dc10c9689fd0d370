// The program file itself: it starts, shows its window and ends the normal
// way, leaves no file behind, and explains itself without a display.
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) found.push_back(entry.path().string());
    return found;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velquor-startup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (const char* dir : {"home", "runtime", "tmp"}) fs::create_directory(root / dir);
        fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override { fs::remove_all(root); }
    std::vector<std::string> BaseEnvironment() const {
        std::vector<std::string> env{"HOME=" + (root / "home").string(), "XDG_RUNTIME_DIR=" + (root / "runtime").string(),
                                     "TMPDIR=" + (root / "tmp").string(), "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
        // Sanitizer settings pass through so that the sanitizer build runs the same test.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
        }
        return env;
    }
    fs::path root;
};

TEST_F(StartupTest, StartsShowsTheWindowAndEndsNormallyWithoutWritingAFile) {
    auto env = BaseEnvironment();
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("AFX_CLOSE_WHEN_SHOWN=1");
    env.push_back("AFX_STARTUP_NS=0");
    const Outcome outcome = RunProgram({}, env, root);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("first paint"), std::string::npos) << "the window was never shown: " << outcome.errors;
    EXPECT_EQ(Entries(root / "home"), std::vector<std::string>{});
    EXPECT_EQ(Entries(root / "runtime"), std::vector<std::string>{});
    EXPECT_EQ(Entries(root / "tmp"), std::vector<std::string>{});
}

TEST_F(StartupTest, WithoutADisplayItSaysSoInOneLine) {
    const Outcome outcome = RunProgram({}, BaseEnvironment(), root);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("no display"), std::string::npos) << outcome.errors;
    EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1) << outcome.errors;
}

TEST_F(StartupTest, VersionPrintsTheVersionBlock) {
    const Outcome outcome = RunProgram({"--version"}, BaseEnvironment(), root);
    EXPECT_EQ(outcome.exitCode, 0);
    const Outcome bad = RunProgram({"--frobnicate"}, BaseEnvironment(), root);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("--frobnicate"), std::string::npos);
}

}  // namespace
