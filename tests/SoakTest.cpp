// A long run of seeded random actions on the main window, as a restless user
// would make them: typing and pasting any text into the count field, clicking
// any of the 22 buttons (the hidden row by command), opening and closing the
// About and version boxes. After every action it checks what must always
// hold: a click changes only its own result field, the count field never
// holds a value above 100000 after a user change, the global arrays are all
// zero between runs and the moving pointer is back at its array's start.
//
// VELQUOR_SOAK_ACTIONS sets the number of actions (default 1000, a few seconds
// under the sanitizers); VELQUOR_SOAK_SEED the seed (default: a fresh one,
// printed with any failure). scripts/soak runs a long version.
#include "BenchFixture.h"
#include "bench/GlobalData.h"
#include "dialog/CountCheck.h"
#include "framework/Crt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using benchtest::BenchTest;
using benchtest::kCountField;
using bench::kButtons;

constexpr int kVersionButton = 1026;
constexpr UINT kAboutCommand = 16;
constexpr std::size_t kGlobalLength = bench::kGlobalArrayLength;
/// Elements past the largest count that are checked exactly.
constexpr std::size_t kExactMargin = 4096;
/// Elements sampled per array beyond the exactly checked part.
constexpr int kSamples = 256;

unsigned long long EnvNumber(const char* name, unsigned long long fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return fallback;
    return std::strtoull(value, nullptr, 10);
}

/// The count field's value as the check sees it: more than 18 characters is
/// too large without conversion; otherwise atoll of the narrow text.
bool CountTooLarge(const CString& text) {
    if (text.GetLength() > dialog::kCountMaxConvertedLength) return true;
    return crt::atoll(CStringA(text).GetString()) > dialog::kCountLimit;
}

struct GlobalArray {
    const char* name;
    const unsigned long long* first;
};
const std::array<GlobalArray, 4> kGlobalArrays = {{
    {"g_stdArray", g_stdArray.data()},
    {"g_stdArrayInit", g_stdArrayInit.data()},
    {"g_staticArray", g_staticArray},
    {"g_staticArrayInit", g_staticArrayInit},
}};

class SoakTest : public BenchTest {
protected:
    SoakTest()
        : seed(EnvNumber("VELQUOR_SOAK_SEED", std::random_device{}())),
          actions(EnvNumber("VELQUOR_SOAK_ACTIONS", 1000)),
          random(seed) {
        // Every nested box (About, version) is closed again, one of the three ways a user can.
        previousHook = afx::SetModalHook([this](CDialog& d) {
            modalTemplates.push_back(d.TemplateId());
            auto nested = afx::DialogDriver::Attach(d);
            switch (Below(3)) {
            case 0: nested.Click(IDOK); break;
            case 1: nested.Press(afx::Key::Escape); break;
            default: nested.CloseBox(); break;
            }
            modalClosed.push_back(d.HasEnded());
        });
    }
    ~SoakTest() override { afx::SetModalHook(previousHook); }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool OneIn(int n) { return Below(n) == 0; }

    // ------------------------------------------------------------ texts a user might enter

    std::wstring Digits(int length) {
        std::wstring s;
        for (int i = 0; i < length; ++i) s += static_cast<wchar_t>(L'0' + Below(10));
        return s;
    }

    /// Mostly small numbers, so that most runs are quick; now and then
    /// anything: large numbers, signs, letters, blanks, long texts,
    /// full-width digits, line breaks, nothing.
    std::wstring CountText() {
        switch (Below(20)) {
        case 0: return L"";
        case 1: return std::to_wstring(Below(200001));     // either side of the limit
        case 2: return L"100000";
        case 3: return L"100001";
        case 4: return Digits(19 + Below(6));               // 19 or more characters
        case 5: return L"9" + Digits(17);                   // 18 characters, far too large
        case 6: return L"-" + std::to_wstring(Below(1000));
        case 7: return L"+" + std::to_wstring(Below(500));
        case 8: return L" " + std::to_wstring(Below(500));
        case 9: return std::to_wstring(Below(500)) + L"abc";
        case 10: return L"１２";
        case 11: return L"１２３４５６";
        case 12: return std::to_wstring(Below(500)) + L"\r\n" + Digits(1 + Below(8));
        case 13: return L"\n";
        case 14: return L"0" + std::to_wstring(Below(100001));  // a leading zero
        case 15: return L"\u3000" + Digits(6);                 // ideographic space
        default: return std::to_wstring(Below(1000));
        }
    }

    // ------------------------------------------------------------ the actions

    void EditCount(std::string& what) {
        const std::wstring text = CountText();
        const bool replace = !OneIn(4);  // else the text goes in at the caret
        if (replace) drv.Press(afx::Key::SelectAll, kCountField);
        switch (Below(4)) {
        case 0:
            what = "type";
            drv.Type(kCountField, text);
            break;
        case 1:
            what = "backspace";
            drv.Press(afx::Key::Backspace, kCountField);
            break;
        default:
            what = "paste";
            if (text.empty()) drv.Press(afx::Key::Delete, kCountField);
            else drv.Paste(kCountField, text);
            break;
        }
        what += replace ? " over the field: \"" : " at the caret: \"";
        what += Utf8(CString(text.c_str())) + "\"";
    }

    void ClickButton(const bench::ButtonSpec& b) {
        const std::size_t before = runs.size();
        if (b.hidden) drv.Command(b.buttonId);
        else ASSERT_TRUE(drv.Click(b.buttonId)) << b.buttonId;
        const std::vector<afx::ShownMessageBox> boxes = Boxes();
        const CString field = drv.Text(b.resultFieldId);
        if (runs.size() == before + 1) {
            const dialog::RunRecord& record = runs.back();
            EXPECT_EQ(record.buttonId, b.buttonId);
            EXPECT_EQ(field, record.resultText) << b.buttonId;
            EXPECT_TRUE(benchtest::IsResultText(field)) << b.buttonId << ": " << Utf8(field);
            EXPECT_TRUE(boxes.empty()) << b.buttonId;
            if (b.readsCount) largestCount = std::max(largestCount, record.measurement.elementCount);
            EXPECT_LE(record.measurement.elementCount, dialog::kCountLimit) << b.buttonId;
        } else {
            // A refused count (a negative one) ends the run before anything is
            // timed: the field stays empty and the user is told.
            EXPECT_EQ(runs.size(), before) << b.buttonId;
            EXPECT_TRUE(field.IsEmpty()) << b.buttonId << ": " << Utf8(field);
            EXPECT_EQ(boxes.size(), 1u) << b.buttonId;
            EXPECT_TRUE(b.readsCount) << b.buttonId << " has no count to refuse";
        }
    }

    // ------------------------------------------------------------ the checks

    std::map<int, CString> ResultFields() const {
        std::map<int, CString> fields;
        for (const auto& b : kButtons) fields[b.resultFieldId] = drv.Text(b.resultFieldId);
        return fields;
    }

    void ExpectGlobalDataAtRest(bool full) {
        const std::size_t exact =
            full ? kGlobalLength : std::min(kGlobalLength, static_cast<std::size_t>(largestCount) + kExactMargin);
        for (const GlobalArray& a : kGlobalArrays) {
            const std::size_t nonzero = static_cast<std::size_t>(
                std::find_if(a.first, a.first + exact, [](unsigned long long v) { return v != 0; }) - a.first);
            if (nonzero < exact) ADD_FAILURE() << a.name << "[" << nonzero << "] = " << a.first[nonzero] << " between runs";
            if (full) continue;
            std::uniform_int_distribution<std::size_t> index(exact, kGlobalLength - 1);
            for (int i = 0; i < kSamples && exact < kGlobalLength; ++i) {
                const std::size_t at = index(random);
                if (a.first[at] != 0) ADD_FAILURE() << a.name << "[" << at << "] = " << a.first[at] << " between runs";
            }
        }
        EXPECT_TRUE(g_pStaticArrayInit == &g_staticArrayInit[0]) << "g_pStaticArrayInit is not back at its array's start";
        EXPECT_TRUE(g_pStaticArray == &g_staticArray[0]) << "g_pStaticArray moved";
        EXPECT_LE(g_sinkStrings.size(), 1u);
    }

    const unsigned long long seed;
    const unsigned long long actions;
    std::mt19937_64 random;
    afx::ModalHook previousHook;
    std::vector<UINT> modalTemplates;
    std::vector<bool> modalClosed;
    int largestCount = 0;
};

TEST_F(SoakTest, RandomActionsKeepEveryInvariant) {
    SCOPED_TRACE("VELQUOR_SOAK_SEED=" + std::to_string(seed));
    // Printed first as well, so that a crash still names its seed.
    std::printf("soak: seed %llu, %llu actions\n", seed, actions);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    std::map<std::string, int> tally;
    unsigned long long performed = 0;

    for (unsigned long long n = 0; n < actions && !HasFailure(); ++n) {
        ++performed;
        const std::map<int, CString> fieldsBefore = ResultFields();
        const CString countBefore = drv.Text(kCountField);
        const std::size_t modalsBefore = modalTemplates.size();
        std::string what;
        int changedField = 0;

        const int kind = Below(100);
        if (kind < 45) {
            EditCount(what);
            ++tally["count field"];
            // A change by the user: the check rewrote anything too large to
            // the limit and said so; everything else stays as entered.
            const CString count = drv.Text(kCountField);
            EXPECT_FALSE(CountTooLarge(count)) << "the count field holds \"" << Utf8(count) << "\"";
            for (const afx::ShownMessageBox& box : Boxes()) {
                EXPECT_EQ(box.text, CString(L"最大値を超えました。\r\n100000に書き換えました。"));
                EXPECT_EQ(count, CString(dialog::kCountLimitText));
            }
        } else if (kind < 92) {
            const bench::ButtonSpec& b = kButtons[static_cast<std::size_t>(Below(static_cast<int>(std::size(kButtons))))];
            what = "click " + std::to_string(b.buttonId) + " with the count field \"" + Utf8(countBefore) + "\"";
            ++tally["click"];
            changedField = b.resultFieldId;
            ClickButton(b);
            EXPECT_EQ(drv.Text(kCountField), countBefore) << "a run changed the count field";
        } else {
            const bool about = OneIn(2);
            what = about ? "About box" : "version box";
            ++tally[what];
            if (about) EXPECT_TRUE(drv.ChooseSystemMenuItem(kAboutCommand, OneIn(2)));
            else EXPECT_TRUE(drv.Click(kVersionButton));
            ASSERT_EQ(modalTemplates.size(), modalsBefore + 1) << what;
            EXPECT_EQ(modalTemplates.back(), about ? 100u : 130u);
            EXPECT_TRUE(modalClosed.back()) << what << " stayed open";
            EXPECT_EQ(drv.Text(kCountField), countBefore);
            EXPECT_TRUE(Boxes().empty());
        }
        for (const auto& [field, before] : fieldsBefore) {
            if (field == changedField) continue;
            EXPECT_EQ(drv.Text(field), before) << "result field " << field;
        }
        EXPECT_FALSE(dlg.HasEnded()) << "the window closed";
        ExpectGlobalDataAtRest(false);
        if (HasFailure()) {
            ADD_FAILURE() << "stopped after action " << n << " (" << what << "); rerun with VELQUOR_SOAK_SEED=" << seed
                          << " VELQUOR_SOAK_ACTIONS=" << n + 1;
        }
    }
    if (!HasFailure()) ExpectGlobalDataAtRest(true);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string kinds;
    for (const auto& [kind, n] : tally) kinds += (kinds.empty() ? "" : ", ") + kind + " " + std::to_string(n);
    std::printf("soak: %llu actions in %.1f s, seed %llu (%s)\n", performed, seconds, seed, kinds.c_str());
}

}  // namespace
