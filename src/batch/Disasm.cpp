#include "Disasm.h"

#include "Options.h"
#include "Results.h"
#include "bench/Buttons.h"
#include "dialog/CountCheck.h"
#include "disasm/JsonReport.h"
#include "disasm/KernelProfile.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <new>
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

// One kernel's listing as text, or as one object of the JSON array.
std::string Render(const DisasmOptions& options, int buttonId, const bench::Variant& variant,
                   const disasm::Listing& listing, const disasm::HotShares* shares) {
    std::ostringstream piece;
    if (options.json) {
        piece << "{\"button\": " << buttonId << ", \"variant\": \"" << variant.name << "\", \"listing\": ";
        disasm::WriteListingJson(piece, listing, shares);
    } else {
        piece << "== " << BenchmarkName(buttonId, variant) << "\n";
        disasm::WriteListingText(piece, listing, shares);
    }
    // A string stream that cannot grow drops the rest: no listing cut short.
    if (piece.fail()) throw std::bad_alloc();
    std::string text = std::move(piece).str();
    if (options.json) {
        if (!text.empty() && text.back() == '\n') text.pop_back();
        text += "}";
    }
    return text;
}

// The listing of one kernel, sampled where asked; sets status to 1 where its
// code could not be found or listed.
std::string ListKernel(const DisasmOptions& options, const bench::ButtonSpec& button, const bench::Variant& variant,
                       int& status) {
    try {
        const disasm::Listing listing = disasm::ListTimedSection(
            reinterpret_cast<const void*>(bench::KernelOf(variant, button.buttonId)), options.syntax);
        if (!listing.error.empty()) status = 1;
        std::optional<disasm::HotShares> shares;
        if (options.hot && listing.error.empty()) shares = SampleKernel(listing, button, variant);
        return Render(options, button.buttonId, variant, listing, shares ? &*shares : nullptr);
    } catch (const std::bad_alloc&) {
        status = 1;
        disasm::Listing failed;
        failed.error = "out of memory while listing";
        return Render(options, button.buttonId, variant, failed, nullptr);
    }
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
            const std::string text = ListKernel(options, *button, *variant, status);
            out << (options.json ? (first ? "\n" : ",\n") : (first ? "" : "\n")) << text;
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
