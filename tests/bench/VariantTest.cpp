// The build variants of the kernels: each variant's kernels do what the
// default's do, the global data they fill is the one the default fills, and a
// variant whose instructions this CPU lacks is offered but never run.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "bench/Variants.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using Sink = std::optional<CString>;

/// What one run left for others to see: its measurement's outcome, the
/// values of the global arrays while it still held them, and g_sinkStrings.
struct Outcome {
    bool succeeded = false;
    int elementCount = -1;
    Sink sink;
    unsigned long long globalFingerprint = 0;
    std::vector<CString> sinkStrings;
};

/// A weighted sum of the first elements of the four global arrays: equal
/// fingerprints mean the same values in the same places, in practice.
unsigned long long GlobalFingerprint(std::size_t elements) {
    unsigned long long sum = 0;
    for (const unsigned long long* array : {g_stdArray.data(), g_stdArrayInit.data(), g_staticArray, g_staticArrayInit}) {
        for (std::size_t i = 0; i < elements; ++i) sum = sum * 31 + array[i] * (i + 1);
    }
    return sum;
}

Outcome RunOnce(bench::KernelFunction kernel, int count) {
    Outcome outcome;
    bench::SetInspector([&](const bench::Measurement&) {
        outcome.globalFingerprint = GlobalFingerprint(static_cast<std::size_t>(count) + 16);
    });
    const bench::Measurement m = kernel(count);
    bench::SetInspector(nullptr);
    outcome.succeeded = m.Succeeded();
    outcome.elementCount = m.elementCount;
    outcome.sink = m.sink;
    outcome.sinkStrings = g_sinkStrings;
    return outcome;
}

std::string Describe(const bench::Variant& v, const bench::ButtonSpec& b, int count) {
    return std::string(v.name) + " " + std::string(b.name) + " at " + std::to_string(count);
}

class VariantTest : public ::testing::Test {
protected:
    ~VariantTest() override { bench::SetCpuCheck(nullptr); }
};

TEST_F(VariantTest, TheTableNamesEachVariantOnceAndTheDefaultIsTheButtonTablesBuild) {
    std::set<std::string_view> names;
    // Each variant is built at the level its name states, whatever the build type.
    const std::map<std::string_view, std::string_view> levels{{"O0", "-O0"}, {"O2", "-O2"}, {"O3", "-O3"}, {"avx2", "-O3"}};
    for (const bench::Variant& v : bench::Variants()) {
        EXPECT_TRUE(names.insert(v.name).second) << v.name;
        const std::string_view flags = v.build->compileFlags;
        const std::size_t last = flags.rfind(" -O");
        ASSERT_NE(last, std::string_view::npos) << v.name << ": " << flags;
        EXPECT_EQ(flags.substr(last + 1, 3), levels.at(v.name)) << v.name << ": " << flags;
    }
    EXPECT_TRUE(names.contains("O0") && names.contains("O2") && names.contains("O3") && names.contains("avx2"));
    const bench::Variant& standard = bench::DefaultVariant();
    EXPECT_EQ(standard.name, "O3");
    EXPECT_EQ(bench::FindVariant("O3"), &standard);
    EXPECT_EQ(bench::FindVariant("o3"), nullptr);
    EXPECT_EQ(bench::FindVariant(""), nullptr);
    for (const bench::ButtonSpec& b : bench::kButtons) {
        EXPECT_EQ(bench::KernelOf(standard, b.buttonId), b.kernel) << b.name;
    }
    EXPECT_EQ(bench::KernelOf(standard, 1001), nullptr);  // a result field, not a button
}

TEST_F(VariantTest, EachButtonAndEachVariantHasKernelsOfItsOwn) {
    for (const bench::Variant& v : bench::Variants()) {
        const std::set<bench::KernelFunction> kernels(v.build->kernels.begin(), v.build->kernels.end());
        EXPECT_EQ(kernels.size(), bench::kButtons.size()) << v.name;
    }
    for (const bench::ButtonSpec& b : bench::kButtons) {
        std::set<bench::KernelFunction> kernels;
        for (const bench::Variant& v : bench::Variants()) kernels.insert(bench::KernelOf(v, b.buttonId));
        EXPECT_EQ(kernels.size(), bench::Variants().size()) << b.name;
        EXPECT_FALSE(kernels.contains(nullptr)) << b.name;
    }
}

TEST_F(VariantTest, EveryVariantFillsAndSinksWhatTheDefaultDoes) {
    // The strings the sinks carry are made in one variant's code and copied
    // and released in the default's (Completed, the test): all of them must
    // agree on what an empty string is.
    for (const bench::Variant& v : bench::Variants()) {
        if (!bench::IsAvailable(v)) continue;
        for (const bench::ButtonSpec& b : bench::kButtons) {
            for (int count : {0, 1, 7, 100000}) {
                const Outcome expected = RunOnce(b.kernel, count);
                const Outcome actual = RunOnce(bench::KernelOf(v, b.buttonId), count);
                ASSERT_TRUE(expected.succeeded) << Describe(v, b, count);
                EXPECT_EQ(actual.elementCount, expected.elementCount) << Describe(v, b, count);
                EXPECT_EQ(actual.sink, expected.sink) << Describe(v, b, count);
                EXPECT_EQ(actual.globalFingerprint, expected.globalFingerprint) << Describe(v, b, count);
                EXPECT_EQ(actual.sinkStrings, expected.sinkStrings) << Describe(v, b, count);
            }
        }
    }
}

TEST_F(VariantTest, AVariantFillsTheOneDefinitionOfTheGlobalData) {
    // The values a variant writes are seen through the program's own arrays
    // and pointers, and set back to zero there.
    for (const bench::Variant& v : bench::Variants()) {
        if (!bench::IsAvailable(v)) continue;
        unsigned long long seen = 0;
        bench::SetInspector([&](const bench::Measurement&) { seen = g_staticArray[41]; });
        bench::KernelOf(v, 1053)(42);
        bench::SetInspector(nullptr);
        EXPECT_EQ(seen, 41u) << v.name;
        EXPECT_EQ(g_staticArray[41], 0u) << v.name;
        EXPECT_EQ(g_sinkStrings, std::vector<CString>{CString(L"41")}) << v.name;
    }
}

TEST_F(VariantTest, AVariantTheCpuCannotRunIsListedButUnavailable) {
    std::vector<std::string> asked;
    bench::SetCpuCheck([&](std::string_view level) {
        asked.emplace_back(level);
        return false;
    });
    for (const bench::Variant& v : bench::Variants()) {
        EXPECT_EQ(bench::IsAvailable(v), v.cpuRequirement.empty()) << v.name;
    }
    EXPECT_EQ(asked, std::vector<std::string>{"x86-64-v3"});
    EXPECT_FALSE(bench::IsAvailable(*bench::FindVariant("avx2")));
    EXPECT_TRUE(bench::IsAvailable(bench::DefaultVariant()));

    bench::SetCpuCheck([](std::string_view) { return true; });
    EXPECT_TRUE(bench::IsAvailable(*bench::FindVariant("avx2")));
    // The real check again: the answer of the CPU's own flags.
    bench::SetCpuCheck(nullptr);
    EXPECT_EQ(bench::IsAvailable(*bench::FindVariant("avx2")), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                                                                    __builtin_cpu_supports("bmi2"));
}

}  // namespace
