// A listing as JSON: the same data as the text, for scripts and tools.
#pragma once

#include "HotSpots.h"
#include "Listing.h"

#include <ostream>

namespace disasm {

/// Writes listing as one JSON object; with shares, each instruction's samples
/// and share, and a "hot" object with the samples outside the listing or the
/// refusal.
void WriteListingJson(std::ostream& out, const Listing& listing, const HotShares* shares);

}  // namespace disasm
