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

/// Writes the header (whose timed section, and the function it was folded
/// into), the summary line, then, with shares, how many samples were taken or
/// the one line saying why sampling was refused, then one line per
/// instruction and, with shares, the functions the other samples fell in.
/// With barColumns above 0, each share is also drawn as a bar of '#', that
/// many columns at 100%.
void WriteListingText(std::ostream& out, const Listing& listing, const HotShares* shares, int barColumns = 0);

}  // namespace disasm
