#include "Disasm.h"

#include "Options.h"
#include "Results.h"
#include "bench/Buttons.h"
#include "dialog/CountCheck.h"
#include "disasm/JsonReport.h"
#include "disasm/KernelProfile.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <optional>
#include <sstream>

namespace batch {
namespace {

// The kernel runs as a click of the window runs it, with the count field's
// own 100000; the fixed-size arrays ignore the count. A variant this CPU
// cannot run is listed but never run.
disasm::HotShares SampleKernel(const disasm::Listing& listing, const bench::ButtonSpec& button,
                               const bench::Variant& variant) {
    if (!bench::IsAvailable(variant)) {
        disasm::HotShares refused;
        refused.refusal = "not sampled: " + UnavailableVariant(variant);
        return refused;
    }
    return disasm::ProfileKernel(listing, bench::KernelOf(variant, button.buttonId),
                                 button.readsCount ? static_cast<int>(dialog::kCountLimit) : 0);
}

}  // namespace

int DisasmMain(const DisasmOptions& options, std::ostream& out) {
    int status = 0;
    bool first = true;
    if (options.json) out << "[";
    for (const int buttonId : options.buttons) {
        const bench::ButtonSpec* button = bench::FindButton(buttonId);
        if (button == nullptr) continue;
        for (const bench::Variant* variant : options.variants) {
            const disasm::Listing listing = disasm::ListTimedSection(
                reinterpret_cast<const void*>(bench::KernelOf(*variant, buttonId)), options.syntax);
            if (!listing.error.empty()) status = 1;
            std::optional<disasm::HotShares> shares;
            if (options.hot && listing.error.empty()) shares = SampleKernel(listing, *button, *variant);
            const disasm::HotShares* sharesOrNull = shares ? &*shares : nullptr;
            if (options.json) {
                out << (first ? "\n" : ",\n") << "{\"button\": " << buttonId << ", \"variant\": \"" << variant->name
                    << "\", \"listing\": ";
                std::ostringstream listingJson;
                disasm::WriteListingJson(listingJson, listing, sharesOrNull);
                std::string text = listingJson.str();
                if (!text.empty() && text.back() == '\n') text.pop_back();
                out << text << "}";
            } else {
                out << (first ? "" : "\n") << "== " << BenchmarkName(buttonId, *variant) << "\n";
                disasm::WriteListingText(out, listing, sharesOrNull);
            }
            first = false;
            // Each listing as soon as it is complete; where standard output
            // fails, the rest would go nowhere.
            if (!out.flush()) return status;
        }
    }
    if (options.json) out << "\n]\n";
    return status;
}

}  // namespace batch
