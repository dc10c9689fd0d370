// A listing as text for a terminal or a fixed-width box: a header, the
// summary line, then one line per instruction with its share of the samples.
#pragma once

#include "HotSpots.h"
#include "Listing.h"

#include <ostream>
#include <string>

namespace disasm {

/// The summary of the main loop in one line, for example
/// "loop: 6 instructions, 1 store per iteration (16 bytes), no calls".
std::string SummaryLine(const Listing& listing);

/// Writes listing; with shares, each instruction's share of the samples and
/// the functions the other samples fell in, or the one line saying why
/// sampling was refused.
void WriteListingText(std::ostream& out, const Listing& listing, const HotShares* shares);

}  // namespace disasm
