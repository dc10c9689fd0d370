// The program file itself: it starts, shows its window and ends the normal
// way, leaves no file behind and prints no warning, survives small stack
// limits, and explains in one line why it cannot start.
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) found.push_back(entry.path().string());
    return found;
}

long Lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
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
    std::vector<std::string> BaseEnvironment(bool withRuntimeDir = true) const {
        std::vector<std::string> env{"HOME=" + (root / "home").string(), "TMPDIR=" + (root / "tmp").string(),
                                     "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
        if (withRuntimeDir) env.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
        // Sanitizer settings pass through so that the sanitizer build runs the same test.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
        }
        return env;
    }
    // The window on the offscreen platform, or on the X display given, with
    // the start-up probe that closes it through its close box once it has painted.
    std::vector<std::string> WindowEnvironment(bool withRuntimeDir = true, const std::string& display = "") const {
        auto env = BaseEnvironment(withRuntimeDir);
        env.push_back(display.empty() ? "QT_QPA_PLATFORM=offscreen" : "DISPLAY=" + display);
        env.push_back("LD_PRELOAD=" STARTUP_PROBE);
        env.push_back("STARTUP_PROBE_NS=0");
        // The preloaded probe comes before the sanitizer's run-time library.
        // On X, libxkbcommon-x11 hands strndup keymap names that are not
        // NUL-terminated, which strict string checks read past.
        auto asan = std::find_if(env.begin(), env.end(), [](const std::string& e) { return e.starts_with("ASAN_OPTIONS="); });
        if (asan != env.end()) {
            *asan += display.empty() ? ":verify_asan_link_order=0" : ":verify_asan_link_order=0:strict_string_checks=0";
            // Without a session bus, Qt's accessibility on X forks dbus-launch;
            // the sanitizer's allocator is not safe across a fork while another
            // thread allocates (the child can spin on a lock for good), so the
            // sanitized program is told there is no session bus.
            if (!display.empty()) env.push_back("DBUS_SESSION_BUS_ADDRESS=disabled:");
        }
        return env;
    }
    static bool Shown(const Outcome& outcome) { return outcome.errors.find("probe: first paint") != std::string::npos; }
    fs::path root;
};

TEST_F(StartupTest, StartsShowsTheWindowAndEndsNormallyWithoutWritingAFileOrWarning) {
    // Without a runtime directory Qt would warn and make one for good; a
    // missing font configuration gets fontconfig's own complaint, once.
    for (const auto& [withRuntimeDir, fontConfig, lines] : {std::tuple{true, "", 1}, {false, "", 1}, {true, "missing.conf", 2}}) {
        auto env = WindowEnvironment(withRuntimeDir);
        if (*fontConfig) env.push_back("FONTCONFIG_FILE=" + (root / fontConfig).string());
        const Outcome outcome = RunProgram({}, env, root);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
        // The probe's line is all else there is on standard error.
        EXPECT_TRUE(Shown(outcome) && Lines(outcome.errors) == lines) << withRuntimeDir << ": " << outcome.errors;
        for (const char* dir : {"home", "runtime", "tmp"}) EXPECT_EQ(Entries(root / dir), std::vector<std::string>{});
    }
}

TEST_F(StartupTest, OnAnXServerWithNoOtherClientTheWindowShows) {
    // An X server resets itself when its last client leaves (this one ends
    // then): the program's own look at the display must not leave it without
    // a client before Qt connects.
    FILE* server =
        popen("exec timeout 60 Xvfb -displayfd 1 -terminate -nolisten tcp -screen 0 640x480x24 2>/dev/null", "re");
    char display[16] = {':'};
    const bool started = server && std::fgets(display + 1, sizeof display - 1, server);
    display[std::strcspn(display, "\n")] = '\0';
    const Outcome outcome = started ? RunProgram({}, WindowEnvironment(true, display), root) : Outcome{};
    if (server) pclose(server);
    if (!started) GTEST_SKIP() << "needs Xvfb";
    EXPECT_TRUE(Shown(outcome)) << outcome.errors;
}

TEST_F(StartupTest, WithoutADisplayItSaysSoInOneLine) {
    const Outcome outcome = RunProgram({}, BaseEnvironment(), root);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("no display"), std::string::npos) << outcome.errors;
    EXPECT_EQ(Lines(outcome.errors), 1) << outcome.errors;
}

TEST_F(StartupTest, ADisplayThatCannotBeOpenedGetsOneLineAndExitOne) {
    // Display 731 has no server on this machine; the other is no display
    // name, and would put the terminal in reverse video if printed as it stands.
    ASSERT_FALSE(fs::exists("/tmp/.X11-unix/X731"));
    for (const auto& [display, shown] : {std::pair{":731", "':731'"}, std::pair{"\x1b[7m", "'\\x1b[7m'"}}) {
        auto env = BaseEnvironment();
        env.push_back(std::string("DISPLAY=") + display);
        const Outcome outcome = RunProgram({}, env, root);
        EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
        EXPECT_EQ(outcome.signal, 0) << outcome.errors;
        EXPECT_EQ(Lines(outcome.errors), 1) << outcome.errors;
        EXPECT_EQ(outcome.errors.rfind("velquor: the display ", 0), 0u) << outcome.errors;
        EXPECT_NE(outcome.errors.find(shown), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find('\x1b'), std::string::npos) << outcome.errors;
    }
}

TEST_F(StartupTest, AQtPlatformThatFailsEndsWithExitOneAndLeavesNothing) {
    // Qt gives up while it starts; without XDG_RUNTIME_DIR the program has
    // made a private runtime folder by then, which must not stay behind.
    auto env = BaseEnvironment(false);
    env.push_back("QT_QPA_PLATFORM=no-such-platform");
    const Outcome outcome = RunProgram({}, env, root);
    EXPECT_EQ(outcome.signal, 0) << outcome.errors;
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("\nvelquor: "), std::string::npos) << outcome.errors;
    EXPECT_EQ(outcome.errors.find("Available platform plugins"), std::string::npos) << outcome.errors;
    EXPECT_EQ(Entries(root / "tmp"), std::vector<std::string>{});
}

TEST_F(StartupTest, SmallStackLimitsStillStartTheWindow) {
    // Threads take their default stack size from the soft limit the program
    // started with; the window's threads must not run out of it. (Below
    // about 24 KiB the dynamic loader itself, mapping the libraries before
    // any of the program's code runs, may run out of stack: how much it has
    // left depends on the size of the environment and on where the kernel
    // placed the stack, so 16 KiB would make this test a lottery.)
    for (const rlim_t kib : {32, 64}) {
        const Outcome outcome = RunProgram({}, WindowEnvironment(), root, Limits{kib * 1024, std::nullopt, std::nullopt});
        EXPECT_EQ(outcome.signal, 0) << kib << " KiB: " << outcome.errors;
        EXPECT_EQ(outcome.exitCode, 0) << kib << " KiB: " << outcome.errors;
        EXPECT_TRUE(Shown(outcome)) << kib << " KiB: " << outcome.errors;
    }
}

TEST_F(StartupTest, AStackLimitThatCannotBeRaisedRefusesToStart) {
    // The fixed-size arrays need 4 MiB of the main thread's stack; a hard
    // limit of 1 MiB cannot give it, in the window or wherever kernels run.
    const Limits small{1 << 20, 1 << 20, std::nullopt};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"--batch"}, std::vector<std::string>{"--disasm", "1022", "--hot"}}) {
        const Outcome outcome = RunProgram(args, WindowEnvironment(), root, small);
        EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
        EXPECT_FALSE(Shown(outcome)) << outcome.errors;
        EXPECT_EQ(Lines(outcome.errors), 1) << outcome.errors;
        EXPECT_NE(outcome.errors.find("stack limit is 1024 KiB"), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.output, "");
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// The sanitizer's shadow memory needs far more address space than any of these.
TEST_F(StartupTest, SmallAddressSpaceLimitsEndInOneLine) {
    // From where the dynamic loader itself cannot map the libraries (it says
    // so in one line, exit 127) to where both modes start, in 8 MiB steps.
    const std::vector<std::string> batch{"--batch", "--buttons", "1000", "--repetitions", "1", "--format", "csv"};
    const std::vector<std::string> hot{"--disasm", "1024", "--hot"};  // the largest array on the stack
    for (rlim_t mib = 192; mib <= 320; mib += 8) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{}, batch, hot}) {
            const Outcome outcome = RunProgram(args, WindowEnvironment(), root, Limits{{}, {}, mib << 20});
            const std::string what = std::to_string(mib) + " MiB, " + (args.empty() ? "window" : args.front()) + ": " + outcome.errors;
            ASSERT_EQ(outcome.signal, 0) << what;
            if (outcome.exitCode == 0) continue;
            EXPECT_EQ(Lines(outcome.errors), 1) << what;
            if (outcome.exitCode == 127) {
                EXPECT_NE(outcome.errors.find("error while loading shared libraries"), std::string::npos) << what;
            } else {
                EXPECT_EQ(outcome.exitCode, 1) << what;
                EXPECT_EQ(outcome.errors.rfind("velquor: ", 0), 0u) << what;
            }
        }
    }
    // With room enough, both start.
    EXPECT_EQ(RunProgram({}, WindowEnvironment(), root, Limits{{}, {}, rlim_t(400) << 20}).exitCode, 0);
    EXPECT_EQ(RunProgram(batch, WindowEnvironment(), root, Limits{{}, {}, rlim_t(400) << 20}).exitCode, 0);
}
#endif

TEST_F(StartupTest, VersionPrintsTheVersionBlock) {
    const Outcome outcome = RunProgram({"--version"}, BaseEnvironment(), root);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(outcome.output.rfind("velquor 2.0.7.10\n", 0), 0u) << outcome.output;
    for (const char* line : {"  FileDescription  Velquor\n", "  FileVersion      2.0.7.10\n",
                             "  ProductName      TODO: <Lumorak>\n", "  OriginalFilename Velquor.exe\n"}) {
        EXPECT_NE(outcome.output.find(line), std::string::npos) << line << outcome.output;
    }
    EXPECT_EQ(Lines(outcome.output), 9) << outcome.output;
    const Outcome bad = RunProgram({"--frobnicate"}, BaseEnvironment(), root);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("--frobnicate"), std::string::npos);
}

}  // namespace
