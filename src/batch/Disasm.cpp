#include "Disasm.h"

#include "bench/Buttons.h"
#include "dialog/CountCheck.h"
#include "disasm/JsonReport.h"
#include "disasm/KernelProfile.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <optional>
#include <sstream>

namespace batch {

int DisasmMain(const DisasmOptions& options, std::ostream& out) {
    int status = 0;
    if (options.json) out << "[";
    for (std::size_t i = 0; i < options.buttons.size(); ++i) {
        const bench::ButtonSpec* button = bench::FindButton(options.buttons[i]);
        if (button == nullptr) continue;
        const disasm::Listing listing =
            disasm::ListTimedSection(reinterpret_cast<const void*>(button->kernel), options.syntax);
        if (!listing.error.empty()) status = 1;
        // The kernel runs as a click of the window runs it, with the count
        // field's own 100000; the fixed-size arrays ignore the count.
        std::optional<disasm::HotShares> shares;
        if (options.hot && listing.error.empty()) {
            shares = disasm::ProfileKernel(listing, button->kernel,
                                           button->readsCount ? static_cast<int>(dialog::kCountLimit) : 0);
        }
        const disasm::HotShares* sharesOrNull = shares ? &*shares : nullptr;
        if (options.json) {
            out << (i == 0 ? "\n" : ",\n") << "{\"button\": " << button->buttonId << ", \"listing\": ";
            std::ostringstream listingJson;
            disasm::WriteListingJson(listingJson, listing, sharesOrNull);
            std::string text = listingJson.str();
            if (!text.empty() && text.back() == '\n') text.pop_back();
            out << text << "}";
        } else {
            out << (i == 0 ? "" : "\n") << "== " << button->name << "\n";
            disasm::WriteListingText(out, listing, sharesOrNull);
        }
    }
    if (options.json) out << "\n]\n";
    return status;
}

}  // namespace batch
