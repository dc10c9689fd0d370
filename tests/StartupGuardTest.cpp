// Start-up failures that Qt cannot survive end with one line and exit 1.
#include "framework/Startup.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <stdexcept>

namespace {

class StartupGuardTest : public ::testing::Test {
protected:
    // Qt's threads run in the test process: each death test starts afresh.
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void Throw(bool badAlloc) {
    if (badAlloc) throw std::bad_alloc();
    throw std::runtime_error("no platform");
}

// Thrown through a function that may not throw, as from Qt's code, which is
// built without exception handling.
void ThrowThroughNoexcept(bool badAlloc) noexcept {
    void (*volatile thrower)(bool) = Throw;
    thrower(badAlloc);
}

#if !defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator reports an impossible allocation itself.
constexpr std::size_t kHuge = std::size_t(1) << 62;
// Where an allocation goes, so that the compiler cannot leave it out.
char* volatile g_kept = nullptr;

TEST_F(StartupGuardTest, AnAllocationThatFailsWhileStartingEndsInOneLine) {
    EXPECT_EXIT(
        {
            afx::BeginStartup();
            g_kept = new char[kHuge];
        },
        ::testing::ExitedWithCode(1), "^velquor: out of memory while starting \\(raise the address-space limit, ulimit -v\\)\n$");
}

TEST_F(StartupGuardTest, OnceStartedAFailedAllocationThrowsForItsCaller) {
    afx::BeginStartup();
    afx::EndStartup();
    EXPECT_FALSE(afx::InStartup());
    EXPECT_THROW(g_kept = new char[kHuge], std::bad_alloc);
}
#endif

TEST_F(StartupGuardTest, AnExceptionEscapingQtEndsInOneLineThatSaysWhatFailed) {
    // A bad_alloc whenever it comes; anything else only while starting.
    EXPECT_EXIT(
        {
            afx::BeginStartup();
            afx::EndStartup();
            ThrowThroughNoexcept(true);
        },
        ::testing::ExitedWithCode(1), "^velquor: out of memory \\(raise the address-space limit, ulimit -v\\)\n$");
    EXPECT_EXIT(
        {
            afx::BeginStartup();
            ThrowThroughNoexcept(false);
        },
        ::testing::ExitedWithCode(1), "^velquor: could not start: no platform\n$");
    EXPECT_DEATH(
        {
            afx::BeginStartup();
            afx::EndStartup();
            ThrowThroughNoexcept(false);
        },
        "no platform");
    EXPECT_EXIT(afx::StartupFailed("no display\n\nReinstalling the application may fix this problem."),
                ::testing::ExitedWithCode(1), "^velquor: no display\n$");
}

}  // namespace
