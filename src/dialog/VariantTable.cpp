#include "VariantTable.h"

#include "DisplayWidth.h"
#include "ResultText.h"

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

namespace dialog {
namespace {

CString Wide(std::string_view text) {
    return CString(std::string(text).c_str());
}

struct Row {
    CString name, description, time, ratio, share, failure;
};

/// "0.69× (0.65–0.72)", with "差なし" where the interval holds 1; "-" for no ratio.
CString RatioText(const std::variant<bench::PairedRatio, bench::NoRatio>& compared) {
    CString text = L"-";
    if (const auto* ratio = std::get_if<bench::PairedRatio>(&compared)) {
        text.Format(L"%.2f×", ratio->median);
        if (ratio->low && ratio->high) {
            CString interval;
            interval.Format(L" (%.2f–%.2f)%ls", *ratio->low, *ratio->high, ratio->DifferenceShown() ? L"" : L" 差なし");
            text += interval;
        }
    }
    return text;
}

}  // namespace

CString VariantDescription(const bench::Variant& variant) {
    struct Known {
        std::string_view name;
        const wchar_t* description;
    };
    static constexpr Known kKnown[] = {
        {"O0", L"デバッグビルド相当 -O0"},
        {"O2", L"-O2"},
        {"O3", L"既定 (このプログラムのビルド)"},
        {"avx2", L"-O3 -march=x86-64-v3"},
    };
    for (const Known& k : kKnown) {
        if (k.name == variant.name) return k.description;
    }
    return Wide(variant.description);
}

CString VariantFailure(const bench::VariantRun& run) {
    CString text;
    if (!run.available) {
        text.Format(L"このCPUでは実行できません（%ls が必要）", Wide(run.variant->cpuRequirement).GetString());
    } else if (run.error) {
        switch (run.error->kind) {
        case bench::ErrorKind::CountRefused: text = L"この処理回数では実行できません"; break;
        case bench::ErrorKind::OutOfMemory: text = L"メモリが不足して配列を確保できませんでした"; break;
        case bench::ErrorKind::Failed: text = L"エラーで中止しました（詳細は標準エラー出力）"; break;
        }
    } else if (!run.median) {
        text = L"計測していません";
    }
    return text;
}

CString VariantTableText(const bench::VariantComparison& comparison) {
    std::vector<Row> rows;
    rows.push_back({L"ビルド", L"内容", L"中央値", Wide(bench::DefaultVariant().name) + L"比 (95%区間)", L"上限比", L""});
    for (const bench::VariantRun& run : comparison.runs) {
        Row row{Wide(run.variant->name), VariantDescription(*run.variant), L"-", L"-", L"-", VariantFailure(run)};
        if (run.median) {
            FormatResultText(row.time, std::chrono::duration_cast<std::chrono::system_clock::duration>(*run.median));
        }
        row.ratio = run.variant->isDefault && run.median ? CString(L"基準") : RatioText(comparison.RatioToDefault(run));
        if (run.fractionOfLimit) row.share.Format(L"%.1f%%", *run.fractionOfLimit * 100);
        rows.push_back(row);
    }
    int nameWidth = 0, descriptionWidth = 0, timeWidth = 0, ratioWidth = 0, shareWidth = 0;
    for (const Row& r : rows) {
        nameWidth = std::max(nameWidth, DisplayWidth(r.name.GetString()));
        descriptionWidth = std::max(descriptionWidth, DisplayWidth(r.description.GetString()));
        timeWidth = std::max(timeWidth, DisplayWidth(r.time.GetString()));
        ratioWidth = std::max(ratioWidth, DisplayWidth(r.ratio.GetString()));
        shareWidth = std::max(shareWidth, DisplayWidth(r.share.GetString()));
    }
    CString text;
    for (const Row& r : rows) {
        CString line = Padded(r.name, nameWidth) + L"  " + Padded(r.description, descriptionWidth) + L"  ";
        if (!r.failure.IsEmpty()) {
            line += r.failure;
        } else {
            line += Padded(r.time, timeWidth, true) + L"  " + Padded(r.ratio, ratioWidth) + L"  " +
                    Padded(r.share, shareWidth, true);
        }
        text += line + L"\r\n";
    }
    return text;
}

}  // namespace dialog
