// The build variants of the kernels: each variant's kernels do what the
// default's do, and the global data they fill is the one the default fills.
// (A variant whose instructions this CPU lacks, offered but never run:
// BatchVariantTest and the builds box in KernelBoxesTest.)
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "bench/StoreLimit.h"
#include "bench/VariantComparison.h"
#include "bench/Variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace {

using Sink = std::optional<CString>;

/// A weighted sum of the first elements of the four global arrays: equal
/// fingerprints mean the same values in the same places, in practice.
unsigned long long GlobalFingerprint(std::size_t elements) {
    unsigned long long sum = 0;
    for (const unsigned long long* array : {g_stdArray.data(), g_stdArrayInit.data(), g_staticArray, g_staticArrayInit}) {
        for (std::size_t i = 0; i < elements; ++i) sum = sum * 31 + array[i] * (i + 1);
    }
    return sum;
}

/// What one run left for others to see: whether it succeeded, its count and
/// sink, the values of the global arrays while it still held them, and g_sinkStrings.
using Outcome = std::tuple<bool, int, Sink, unsigned long long, std::vector<CString>>;

Outcome RunOnce(bench::KernelFunction kernel, int count) {
    unsigned long long fingerprint = 0;
    bench::SetInspector([&](const bench::Measurement&) { fingerprint = GlobalFingerprint(static_cast<std::size_t>(count) + 16); });
    const bench::Measurement m = kernel(count);
    bench::SetInspector(nullptr);
    return {m.Succeeded(), m.elementCount, m.sink, fingerprint, g_sinkStrings};
}

class VariantTest : public ::testing::Test {
protected:
    ~VariantTest() override { bench::SetInspector(nullptr); }
};

TEST_F(VariantTest, EachVariantIsBuiltAtItsLevelWithKernelsOfItsOwnAndTheDefaultIsTheButtonTables) {
    // Each variant is built at the level its name states, whatever the build type.
    const std::map<std::string_view, std::string_view> levels{{"O0", "-O0"}, {"O2", "-O2"}, {"O3", "-O3"}, {"avx2", "-O3"}};
    std::map<const bench::ButtonSpec*, std::set<bench::KernelFunction>> kernels;  // per button, one per variant
    for (const bench::Variant& v : bench::Variants()) {
        const std::string_view flags = v.build->compileFlags;
        EXPECT_EQ(flags.substr(flags.rfind(" -O") + 1, 3), levels.at(v.name)) << v.name << ": " << flags;
        EXPECT_EQ(bench::FindVariant(v.name), &v);
        for (const bench::ButtonSpec& b : bench::kButtons) kernels[&b].insert(bench::KernelOf(v, b.buttonId));
    }
    EXPECT_EQ(bench::Variants().size(), levels.size());
    for (const auto& [button, theirs] : kernels) {
        EXPECT_EQ(theirs.size(), bench::Variants().size()) << button->name;
        EXPECT_FALSE(theirs.contains(nullptr)) << button->name;
        EXPECT_EQ(bench::KernelOf(bench::DefaultVariant(), button->buttonId), button->kernel) << button->name;
    }
    EXPECT_EQ(bench::DefaultVariant().name, "O3");
    EXPECT_EQ(bench::KernelOf(bench::DefaultVariant(), 1001), nullptr);  // a result field, not a button
}

TEST_F(VariantTest, EveryVariantFillsAndSinksWhatTheDefaultDoes) {
    // The strings the sinks carry are made in one variant's code and copied
    // and released in the default's (Completed, the test): all of them must
    // agree on what an empty string is. The global arrays a variant fills are
    // the program's own, seen by the inspector and set back to zero there.
    for (const bench::Variant& v : bench::Variants()) {
        if (!bench::IsAvailable(v)) continue;
        for (const bench::ButtonSpec& b : bench::kButtons) {
            for (int count : {0, 1, 7, 100000}) {
                SCOPED_TRACE(std::string(v.name) + " " + std::string(b.name) + " at " + std::to_string(count));
                const Outcome expected = RunOnce(b.kernel, count);
                ASSERT_TRUE(std::get<bool>(expected));
                EXPECT_EQ(RunOnce(bench::KernelOf(v, b.buttonId), count), expected);
            }
        }
    }
}

// The comparison of builds that the window's box shows: the rounds' order and
// what each variant's clicks come to. (A failed allocation on every row:
// KernelTest's child; a variant this CPU cannot run, a refused count: the builds box in KernelBoxesTest.)
using VariantComparisonTest = VariantTest;

TEST_F(VariantComparisonTest, EveryRoundRunsEachVariantOnceAndEachComesInEveryPlace) {
    for (std::size_t n : {1u, 2u, 3u, 4u}) {
        std::vector<std::set<std::size_t>> variantsAt(n), followed(n);  // followed: the variants each came after
        std::vector<std::vector<std::size_t>> orders;
        for (int round = 0; round < static_cast<int>(2 * n); ++round) {
            const std::vector<std::size_t>& order = orders.emplace_back(bench::RoundOrder(n, round));
            ASSERT_EQ(std::set(order.begin(), order.end()).size(), n) << "round " << round << " of " << n;
            for (std::size_t place = 0; place < n; ++place) variantsAt[place].insert(order[place]);
            for (std::size_t place = 1; place < n; ++place) followed[order[place]].insert(order[place - 1]);
        }
        // No round repeats the one before.
        EXPECT_TRUE(n == 1 || std::adjacent_find(orders.begin(), orders.end()) == orders.end()) << n;
        for (std::size_t place = 0; place < n; ++place) EXPECT_EQ(variantsAt[place].size(), n) << "place " << place << " of " << n;
        // Not always after the same one: what the one before leaves in the caches changes.
        for (std::size_t v = 0; v < n && n > 2; ++v) EXPECT_GT(followed[v].size(), 1u) << "variant " << v << " of " << n;
    }
    EXPECT_TRUE(bench::RoundOrder(0, 3).empty());
}

TEST_F(VariantComparisonTest, EachVariantsMedianIsOfItsCountedClicks) {
    int completedRuns = 0;  // in whichever variant
    bench::SetInspector([&](const bench::Measurement&) { ++completedRuns; });
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

}  // namespace
