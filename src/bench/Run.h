// What the benchmark handlers share outside their timed sections: reading the
// count field, turning a clock difference into the result text, keeping the
// optimiser from moving or dropping a kernel's stores, and the record of one
// run that the dialog hands to whoever observes it.
//
// Each handler still reads the clock itself, immediately around its own loop;
// nothing here is called between t0 and t1 except Clobber().
#pragma once

#include "framework/AfxString.h"
#include "framework/Wnd.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

/// Elements of each fixed local array (buttons 1012, 1014, 1022, 1024).
inline constexpr int kFixedArrayLength = 100000;

/// One timed fill, as its handler saw it.
struct RunRecord {
    /// Control id of the button that ran (1000, 1002, ...).
    int buttonId;
    /// Elements the kernel filled: the count read from the count field, or the fixed 100000.
    int elementCount;
    /// Raw t1 - t0 in system_clock ticks (nanoseconds with glibc), before any rounding.
    std::chrono::system_clock::duration elapsed;
    /// The text written into the result field: whole microseconds shown as milliseconds, "ms" appended.
    CString resultText;
    /// The value the sink received, as decimal text; nullopt when nothing was sunk.
    std::optional<CString> sink;
};

/// Receives a record after every completed run. The handler calls it after
/// its result field is set and before it releases its data, so the global
/// arrays still hold the values written. It should not throw: the handler
/// would end there like any failed run, and a global array would keep its
/// values until a later run over the same elements sets them back to 0.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    /// One run has completed; record.elapsed is in system_clock ticks.
    virtual void OnRun(const RunRecord& record) = 0;
};

/// A count the handler refuses before it allocates or times anything.
class CountError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// Converts the count field's text with _wtoi (leading blanks and a sign
/// accepted, conversion stops at the first non-digit, no digits give 0).
/// Throws CountError for a negative count or one above maxCount, so what it
/// returns lies in 0..maxCount.
int ParseCount(const CString& text, int maxCount = INT_MAX);

/// Reads the count field's whole text into text and converts it with ParseCount.
int ReadCount(const CEdit& countField, CString& text, int maxCount = INT_MAX);

/// t1 - t0 in whole microseconds, truncated toward zero.
long long ElapsedMicroseconds(std::chrono::system_clock::duration elapsed);

/// Replaces text with the result text: the elapsed whole microseconds as
/// milliseconds, "%.6f", followed by "ms" (for example "123.456000ms").
void FormatResultText(CString& text, std::chrono::system_clock::duration elapsed);

/// The sink's one value as text for a run record; nullopt for an empty sink.
std::optional<CString> SinkText(const std::vector<int>& sink);
std::optional<CString> SinkText(const std::vector<CString>& sink);
std::optional<CString> SinkText(const std::vector<std::string>& sink);

/// Makes the memory at p reachable by code the compiler cannot see, so the
/// stores a kernel makes into it must really happen, and between the two
/// clock readings. Costs no instruction. Call it before t0, never in a loop.
inline void Escape(const void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

/// Tells the compiler that every escaped object may be read here: the
/// kernel's stores are complete before the second clock reading.
inline void Clobber() {
    asm volatile("" : : : "memory");
}

/// Releases a malloc block.
struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

}  // namespace bench
