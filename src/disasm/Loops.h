// The loops of a timed section and what one iteration of each does.
#pragma once

#include "Listing.h"

#include <vector>

namespace disasm {

/// The natural loops of instructions (linked by their successors) entered at
/// entryIndex: for each edge back to an instruction that every path from the
/// entry to the edge passes (the head), the head and every instruction that
/// reaches the edge without passing the head. Edges back to one head make
/// one loop. Ordered by head address. A jump to lower addresses that is not
/// such an edge (into code shared by two paths) makes no loop.
std::vector<Loop> FindLoops(const std::vector<Instruction>& instructions, std::size_t entryIndex);

/// What one iteration of loop does.
LoopSummary Summarize(const Listing& listing, const Loop& loop);

}  // namespace disasm
