// The batch mode's build variants and store limits: choosing variants on the
// command line, refusing one the CPU cannot run, and the names and rates the
// reports give each variant's clicks.
#include "TestUtil.h"
#include "batch/Batch.h"
#include "batch/Options.h"
#include "batch/Report.h"
#include "batch/Runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

class BatchVariantTest : public ::testing::Test {
protected:
    ~BatchVariantTest() override { bench::SetCpuCheck(nullptr); }

    /// Plays a CPU without AVX2.
    static void WithoutAvx2() {
        bench::SetCpuCheck([](std::string_view) { return false; });
    }

    static std::variant<batch::Options, std::string> Parse(const std::vector<std::string>& args) {
        return batch::ParseOptions(args);
    }

    static std::vector<std::string> VariantNames(const std::vector<std::string>& args) {
        auto parsed = Parse(args);
        std::vector<std::string> names;
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            ADD_FAILURE() << *error;
            return names;
        }
        for (const bench::Variant* v : std::get<batch::Options>(parsed).variants) names.emplace_back(v->name);
        return names;
    }

    static std::string ErrorOf(const std::vector<std::string>& args) {
        auto parsed = Parse(args);
        const auto* error = std::get_if<std::string>(&parsed);
        return error ? *error : std::string();
    }
};

using Names = std::vector<std::string>;

TEST_F(BatchVariantTest, TheDefaultRunsTheProgramsOwnBuildAndAListChoosesInItsOrder) {
    EXPECT_EQ(VariantNames({}), Names{"O3"});
    EXPECT_EQ(VariantNames({"--variant", "O0,O3"}), (Names{"O0", "O3"}));
    EXPECT_EQ(VariantNames({"--variant", "O3,O0,O3"}), (Names{"O3", "O0"}));
    bench::SetCpuCheck([](std::string_view) { return true; });
    EXPECT_EQ(VariantNames({"--variant", "all"}), (Names{"O0", "O2", "O3", "avx2"}));
}

TEST_F(BatchVariantTest, AVariantTheCpuCannotRunIsLeftOutOfAllAndRefusedByName) {
    WithoutAvx2();
    EXPECT_EQ(VariantNames({"--variant", "all"}), (Names{"O0", "O2", "O3"}));
    EXPECT_EQ(ErrorOf({"--variant", "O0,avx2"}), "variant avx2 needs a CPU with x86-64-v3, which this one is not");
    EXPECT_NE(ErrorOf({"--variant", "O1"}).find("unknown variant 'O1'; valid variants: O0, O2, O3, avx2, or all"),
              std::string::npos)
        << ErrorOf({"--variant", "O1"});
    EXPECT_NE(ErrorOf({"--variant", ""}).find("at least one"), std::string::npos);
    EXPECT_NE(ErrorOf({"--variant"}).find("needs a value"), std::string::npos);
}

TEST_F(BatchVariantTest, TheProgramSaysSoInOneLineAndEndsWithStatusTwo) {
    WithoutAvx2();
    char name[] = "velquor";
    char* argv[] = {name, nullptr};
    int argc = 1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = batch::BatchMain(argc, argv, {"--variant", "avx2", "--buttons", "1000"});
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 2);
    EXPECT_EQ(err, "velquor: variant avx2 needs a CPU with x86-64-v3, which this one is not\n");
    EXPECT_EQ(out, "");
}

QJsonObject Json(const batch::BatchRun& run) {
    std::ostringstream out;
    batch::WriteJson(out, run, batch::ReadSystemInfo(nullptr));
    return QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
}

TEST_F(BatchVariantTest, EachVariantHasItsOwnNameAndItsClicksStandNextToTheDefaults) {
    batch::Options options;
    options.buttons = {1000, 1041, 1055};
    options.countText = L"1000";
    options.repetitions = 2;
    options.variants = {bench::FindVariant("O0"), &bench::DefaultVariant()};
    const batch::BatchRun run = batch::RunButtons(options, {});

    std::vector<std::string> order;
    for (const batch::ButtonResult& r : batch::GroupByButton(run)) {
        order.push_back(batch::BenchmarkName(r.buttonId, *r.variant));
    }
    EXPECT_EQ(order, (Names{"1000 int[] new　動的配列/O0", "1000 int[] new　動的配列", "1041 静的配列/O0", "1041 静的配列",
                            "1055 ポインタ　静的配列　動かない (初期化した場合)/O0",
                            "1055 ポインタ　静的配列　動かない (初期化した場合)"}));

    // The iterations carry their variant; the aggregates' names follow their runs'.
    const QJsonObject report = Json(run);
    int o0Clicks = 0, o3Clicks = 0;
    for (const QJsonValue& value : report["benchmarks"].toArray()) {
        const QJsonObject b = value.toObject();
        const QString name = b["name"].toString();
        const bool o0 = b["variant"].toString() == QStringLiteral("O0");
        EXPECT_EQ(b["run_name"].toString().endsWith(QStringLiteral("/O0")), o0) << name.toStdString();
        if (b["run_type"].toString() == QStringLiteral("iteration")) (o0 ? o0Clicks : o3Clicks)++;
    }
    EXPECT_EQ(o0Clicks, 6);
    EXPECT_EQ(o3Clicks, 6);
    const QJsonArray variants = report["context"].toObject()["variants"].toArray();
    ASSERT_EQ(variants.size(), 2);
    EXPECT_EQ(variants[0].toObject()["name"].toString(), QStringLiteral("O0"));
    EXPECT_TRUE(variants[0].toObject()["compile_flags"].toString().contains(QStringLiteral("-O0")));
}

TEST_F(BatchVariantTest, EveryClickStatesItsBytesPerSecondAndItsShareOfTheLimitMeasuredFirst) {
    batch::Options options;
    options.buttons = {1000, 1041, 1055, 1024};
    options.countText = L"1000";
    options.repetitions = 3;
    const batch::BatchRun run = batch::RunButtons(options, {});
    // The sizes these buttons store: 1000 int, 1000 elements of a global array,
    // and the 100000 strings of the fixed array; the moving pointer stores nothing.
    ASSERT_EQ(run.storeLimits.size(), 3u);
    const double intLimit = run.storeLimits.at({4000, bench::StorePlacement::Reused});
    EXPECT_GT(run.storeLimits.at({8000, bench::StorePlacement::SpreadOverGlobalArray}), 0);
    EXPECT_GT(run.storeLimits.at({800000, bench::StorePlacement::Reused}), 0);

    for (const batch::Click& c : run.clicks) {
        const double seconds = std::chrono::duration<double>(c.measurement.elapsed).count();
        if (c.buttonId == 1055 || seconds <= 0) {
            EXPECT_EQ(c.bytesPerSecond, std::nullopt) << c.buttonId;
            EXPECT_EQ(c.fractionOfLimit, std::nullopt) << c.buttonId;
            continue;
        }
        ASSERT_TRUE(c.bytesPerSecond && c.fractionOfLimit) << c.buttonId;
        const double bytes = c.buttonId == 1000 ? 4000 : c.buttonId == 1041 ? 8000 : 800000;
        EXPECT_NEAR(*c.bytesPerSecond, bytes / seconds, *c.bytesPerSecond * 1e-9) << c.buttonId;
        if (c.buttonId == 1000) {
            EXPECT_NEAR(*c.fractionOfLimit, *c.bytesPerSecond / intLimit, 1e-9);
        }
    }

    // The JSON states the same figures, click by click, and the limits they were set against.
    const QJsonObject report = Json(run);
    EXPECT_EQ(report["context"].toObject()["store_limits"].toArray().size(), 3);
    std::size_t index = 0;
    for (const QJsonValue& value : report["benchmarks"].toArray()) {
        const QJsonObject b = value.toObject();
        if (b["run_type"].toString() != QStringLiteral("iteration")) continue;
        ASSERT_LT(index, run.clicks.size());
        const batch::Click& c = run.clicks[index++];
        EXPECT_EQ(b["button"].toInt(), c.buttonId);
        EXPECT_EQ(b["bytes_per_second"].isNull(), !c.bytesPerSecond) << c.buttonId;
        if (c.fractionOfLimit) {
            EXPECT_DOUBLE_EQ(b["fraction_of_limit"].toDouble(), *c.fractionOfLimit) << c.buttonId;
        }
    }
    EXPECT_EQ(index, run.clicks.size());
}

}  // namespace
