// The comparison of builds that the window's box shows: the rounds' order,
// what each variant's clicks come to, that a variant this CPU cannot run is
// never called, and that a failure stays on its variant.
#include "bench/Protocol.h"
#include "bench/StoreLimit.h"
#include "bench/VariantComparison.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

class VariantComparisonTest : public ::testing::Test {
protected:
    ~VariantComparisonTest() override {
        bench::SetCpuCheck(nullptr);
        bench::SetInspector(nullptr);
    }

    /// Plays a CPU without x86-64-v3.
    static void WithoutAvx2() {
        bench::SetCpuCheck([](std::string_view level) { return level != "x86-64-v3"; });
    }

    /// Counts the kernel runs that complete, in whichever variant.
    void CountRuns() {
        bench::SetInspector([this](const bench::Measurement&) { ++completedRuns; });
    }

    static const bench::VariantRun& RunOf(const bench::VariantComparison& c, std::string_view name) {
        return *std::find_if(c.runs.begin(), c.runs.end(), [&](const bench::VariantRun& r) { return r.variant->name == name; });
    }

    int completedRuns = 0;
};

TEST_F(VariantComparisonTest, EveryRoundRunsEachVariantOnceAndEachComesInEveryPlace) {
    for (std::size_t n : {1u, 2u, 3u, 4u}) {
        std::vector<std::set<std::size_t>> variantsAt(n);
        std::vector<std::size_t> previous;
        for (int round = 0; round < static_cast<int>(2 * n); ++round) {
            const std::vector<std::size_t> order = bench::RoundOrder(n, round);
            ASSERT_EQ(order.size(), n);
            EXPECT_EQ(std::set(order.begin(), order.end()).size(), n) << "round " << round << " of " << n;
            for (std::size_t place = 0; place < n; ++place) variantsAt[place].insert(order[place]);
            if (n > 1 && round > 0) {
                EXPECT_NE(order, previous) << "round " << round << " repeats the one before";
            }
            previous = order;
        }
        for (std::size_t place = 0; place < n; ++place) EXPECT_EQ(variantsAt[place].size(), n) << "place " << place << " of " << n;
    }
    EXPECT_TRUE(bench::RoundOrder(0, 3).empty());
}

TEST_F(VariantComparisonTest, EachVariantsMedianIsOfItsCountedClicks) {
    CountRuns();
    const bench::VariantComparison c = bench::CompareVariants(*bench::FindButton(1000), 100000, 5);
    ASSERT_EQ(c.runs.size(), bench::Variants().size());
    int available = 0;
    for (std::size_t i = 0; i < c.runs.size(); ++i) {
        const bench::VariantRun& r = c.runs[i];
        EXPECT_EQ(r.variant, &bench::Variants()[i]);
        EXPECT_EQ(r.available, bench::IsAvailable(*r.variant));
        if (!r.available) continue;
        ++available;
        ASSERT_FALSE(r.error) << r.variant->name << ": " << r.error->message;
        ASSERT_EQ(r.elapsed.size(), 5u) << r.variant->name;
        ASSERT_TRUE(r.median);
        EXPECT_EQ(*r.median, bench::Median(r.elapsed));
        // 400000 bytes get a rate against the limit of that size.
        if (r.median->count() > 0) {
            const double rate = 400000 / std::chrono::duration<double>(*r.median).count();
            ASSERT_TRUE(r.fractionOfLimit) << r.variant->name;
            EXPECT_NEAR(*r.fractionOfLimit, rate / bench::StoreLimit({400000}), 1e-9);
        }
    }
    // One round more than counted: each variant's first click is left out.
    EXPECT_EQ(completedRuns, available * 6);
}

TEST_F(VariantComparisonTest, AVariantTheCpuCannotRunIsShownButItsKernelIsNeverCalled) {
    WithoutAvx2();
    CountRuns();
    const bench::VariantComparison c = bench::CompareVariants(*bench::FindButton(1041), 1000, 3);
    const bench::VariantRun& avx2 = RunOf(c, "avx2");
    EXPECT_FALSE(avx2.available);
    EXPECT_TRUE(avx2.elapsed.empty());
    EXPECT_FALSE(avx2.median);
    EXPECT_FALSE(avx2.error);
    EXPECT_TRUE(std::holds_alternative<bench::NoRatio>(c.RatioToDefault(avx2)));
    // O0, O2 and O3, four rounds each; one avx2 click would make 13.
    EXPECT_EQ(completedRuns, 3 * 4);
    for (std::string_view name : {"O0", "O2", "O3"}) {
        EXPECT_EQ(RunOf(c, name).elapsed.size(), 3u) << name;
        // 1000 elements of 8 bytes are too few for a rate.
        EXPECT_FALSE(RunOf(c, name).fractionOfLimit) << name;
    }
}

TEST_F(VariantComparisonTest, ARefusedCountIsEachVariantsErrorAndNothingIsTimed) {
    CountRuns();
    const bench::VariantComparison c = bench::CompareVariants(*bench::FindButton(1004), -5, 3);
    for (const bench::VariantRun& r : c.runs) {
        if (!r.available) continue;
        ASSERT_TRUE(r.error) << r.variant->name;
        EXPECT_EQ(r.error->kind, bench::ErrorKind::CountRefused);
        EXPECT_TRUE(r.elapsed.empty());
        EXPECT_FALSE(r.median);
        EXPECT_TRUE(std::holds_alternative<bench::NoRatio>(c.RatioToDefault(r)));
    }
    EXPECT_EQ(completedRuns, 0);
}

TEST_F(VariantComparisonTest, AnAllocationThatFailsStaysOnEachVariantsRow) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space limit can be set";
#else
    // In a child with 1 GiB of address space, 400 million int fit in no
    // variant, nor the store limit's buffer of the same size. The exit status
    // says what went wrong.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{1ul << 30, 1ul << 30};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
        const bench::VariantComparison c = bench::CompareVariants(*bench::FindButton(1000), 400'000'000, 3);
        for (const bench::VariantRun& r : c.runs) {
            if (!r.available) continue;
            if (!r.error || r.error->kind != bench::ErrorKind::OutOfMemory) _exit(1);
            if (r.median || !r.elapsed.empty() || r.fractionOfLimit) _exit(2);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a variant without the failure, 2: a figure beside it, 100: setrlimit failed";
#endif
}

}  // namespace
