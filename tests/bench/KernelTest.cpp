// Every kernel of the button table, called directly, without a window or Qt:
// what it fills, what its sink receives, and what it refuses.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace {

using Sink = std::optional<CString>;

CString Decimal(long long value) {
    CString text;
    text.Format(L"%lld", value);
    return text;
}

/// What a kernel's sink must hold after filling count elements.
Sink ExpectedSink(const bench::ButtonSpec& b, int count) {
    // The malloc array and the global arrays by name have no sink.
    if (b.kernel == &bench::FillMallocIntArray) return std::nullopt;
    if (b.family == bench::Family::GlobalArrays && b.kernel != &bench::FillGlobalArrayByPointer &&
        b.kernel != &bench::MoveGlobalPointer) {
        return std::nullopt;
    }
    // count - 1 from the count, never from the array.
    if (b.kernel == &bench::FillNewIntArrayByPointer) return Decimal(count - 1);
    // Element 3 x count - 3 of an array of zeros.
    if (b.kernel == &bench::MoveGlobalPointer) return count > 0 ? Sink(L"0") : std::nullopt;
    // The last element, which holds its own index: the value survives every
    // reallocation of the growing vector and the narrow round trip of the
    // char[] and string[] kernels.
    return count > 0 ? Sink(Decimal(count - 1)) : std::nullopt;
}

TEST(KernelTest, EveryKernelFillsItsCountAndSinksItsLastValueOrRefusesANegativeCount) {
    for (const bench::ButtonSpec& b : bench::kButtons) {
        // 1025 and 65537 lie just past a reallocation of the growing vector.
        for (int count : {INT_MIN, -3, 0, 1, 7, 1025, 65537, 100000}) {
            SCOPED_TRACE(std::string(b.name) + " at " + std::to_string(count));
            const bench::Measurement m = b.kernel(count);
            if (count < 0 && b.readsCount) {
                // Refused as a count before anything is allocated or timed, not
                // as a failed allocation of an enormous size.
                ASSERT_FALSE(m.Succeeded());
                EXPECT_EQ(m.error->kind, bench::ErrorKind::CountRefused);
                EXPECT_EQ(m.error->message, "count is negative: " + std::to_string(count));
                EXPECT_EQ(m.elementCount, count);
                EXPECT_EQ(m.elapsed.count(), 0);
                EXPECT_EQ(m.sink, std::nullopt);
                continue;
            }
            ASSERT_TRUE(m.Succeeded()) << m.error->message;
            // The fixed arrays fill their 100000 elements whatever the count.
            const int filled = b.readsCount ? count : bench::kFixedArrayLength;
            EXPECT_EQ(m.elementCount, filled);
            EXPECT_EQ(m.sink, ExpectedSink(b, filled));
        }
    }
}

TEST(KernelTest, FailuresBecomeDataOfTheirKind) {
    const auto failure = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return bench::FailedRun(42);
        }
        return bench::Measurement{};
    };
    const bench::Measurement memory = failure([] { throw std::bad_alloc(); });
    ASSERT_FALSE(memory.Succeeded());
    EXPECT_EQ(memory.error->kind, bench::ErrorKind::OutOfMemory);
    EXPECT_EQ(memory.elementCount, 42);
    // The layer's strings report exhaustion with their own exception, a bad_alloc too.
    EXPECT_EQ(failure([] { throw CMemoryException(); }).error->kind, bench::ErrorKind::OutOfMemory);
    const bench::Measurement other = failure([] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(other.error->kind, bench::ErrorKind::Failed);
    EXPECT_EQ(other.error->message, "disk on fire");
    EXPECT_EQ(failure([] { throw 7; }).error->kind, bench::ErrorKind::Failed);
}

TEST(KernelTest, AnAllocationThatFailsComesBackAsOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space limit can be set";
#else
    // In a child with 1 GiB of address space, no array of 400 million
    // elements fits (1.6 GB of int, 3.2 GB of strings); the growing vector
    // fails inside its loop. The child's exit status names the first kernel
    // that did not report the failure as data (index + 1).
    constexpr int kTooMany = 400'000'000;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{1ul << 30, 1ul << 30};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
        for (std::size_t i = 0; i < bench::kButtons.size(); ++i) {
            const bench::ButtonSpec& b = bench::kButtons[i];
            if (!b.readsCount || b.family == bench::Family::GlobalArrays) continue;
            const bench::Measurement m = b.kernel(kTooMany);
            if (m.Succeeded() || m.error->kind != bench::ErrorKind::OutOfMemory) _exit(static_cast<int>(i) + 1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    const int code = WEXITSTATUS(status);
    EXPECT_EQ(code, 0) << (code > 0 && code <= static_cast<int>(bench::kButtons.size())
                               ? std::string(bench::kButtons[static_cast<std::size_t>(code - 1)].name)
                               : std::string("setrlimit failed"));
#endif
}

TEST(ButtonTableTest, EveryKernelAndIdIsFoundAndNamesCarryTheirId) {
    int visible = 0;
    for (const bench::ButtonSpec& b : bench::kButtons) {
        EXPECT_EQ(bench::FindButton(b.buttonId), &b);
        EXPECT_EQ(bench::FindButton(b.kernel), &b);
        EXPECT_TRUE(b.name.starts_with(std::to_string(b.buttonId) + " ")) << b.name;
        EXPECT_FALSE(bench::Title(b).empty()) << b.name;
        visible += b.hidden ? 0 : 1;
    }
    EXPECT_EQ(visible, 20);
    EXPECT_EQ(bench::FindButton(0), nullptr);
    EXPECT_EQ(bench::FindButton(-1), nullptr);
}

}  // namespace
