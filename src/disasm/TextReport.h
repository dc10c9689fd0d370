// A listing as text for a terminal or a fixed-width box: a header, the
// summary line, then one line per instruction with its share of the samples.
#pragma once

#include "HotSpots.h"
#include "Listing.h"

#include <ostream>
#include <string>

namespace disasm {

/// The words a listing is written in, as printf formats: English on the
/// command line, Japanese in the window's box. Where English counts
/// ("1 store", "2 stores"), a pair gives the forms for one and for more.
struct ListingWords {
    const char* header;           ///< kernel name, syntax name
    const char* folded;           ///< the function it was folded into
    const char* noListing;        ///< why
    const char* noLoop[2];        ///< instructions
    const char* loop;             ///< instructions, stores, calls
    const char* instructions[2];  ///< count
    const char* noStores;
    const char* stores[2];        ///< count, widths
    const char* bytes;            ///< width
    const char* timesBytes;       ///< count, width
    const char* noCalls;
    const char* calls[2];         ///< count, callees
    const char* indirectCall;
    const char* separator;        ///< between the items of a list
    const char* samples;          ///< samples, lost samples
    const char* inTheLoop;        ///< percent
    const char* afterCall;        ///< callee
    const char* loopHead;
    const char* backToLoopHead;
    const char* outside;
    const char* moreFunctions[2];  ///< count, percent
    const char* other;
};
const ListingWords& EnglishWords();
const ListingWords& JapaneseWords();

/// The summary of the main loop in one line, for example
/// "loop: 6 instructions, 1 store per iteration (16 bytes), no calls".
std::string SummaryLine(const Listing& listing, const ListingWords& words = EnglishWords());

/// Writes the header (whose timed section, and the function it was folded
/// into), the summary line, then, with shares, how many samples were taken or
/// the one line saying why sampling was refused, then one line per
/// instruction and, with shares, the functions the other samples fell in.
/// With barColumns above 0, each share is also drawn as a bar of '#', that
/// many columns at 100%.
void WriteListingText(std::ostream& out, const Listing& listing, const HotShares* shares, int barColumns = 0,
                      const ListingWords& words = EnglishWords());

}  // namespace disasm
