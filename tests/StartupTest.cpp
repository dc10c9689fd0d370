// The program file itself: it starts, shows its window and ends the normal
// way, leaves no file behind, and explains itself without a display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

// Runs the program with exactly this environment; kills it after the timeout.
Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& scratch) {
    const fs::path errFile = scratch / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(VELQUOR_EXE)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, VELQUOR_EXE, &actions, nullptr, argv.data(), envp.data()) != 0) return outcome;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    outcome.errors = text.str();
    fs::remove(errFile);
    return outcome;
}

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
