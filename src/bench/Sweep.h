// A button's fill measured across array sizes, from the first cache level to
// main memory, with the machine's store limit (memset of the same bytes) at
// every size: what velquor --sweep and the window's sweep box run. Measures
// and plans only; the reports and the box turn the figures into text.
//
// A sweep first clicks every size once, smallest first (each size's first
// click, which finds fresh memory, is kept apart); that pass also finds where
// each button must stop: at the size where one click would take longer than
// the budget, where the machine could not hold the array, or where a click
// failed. Then every size that is left runs its other clicks in interleaved
// rounds, as the batch mode runs buttons: each size's clicks in rounds of up
// to kClicksPerRound, all sizes of all buttons and the limit's memsets in a
// new random order each round. Only clicks that follow one of their own size
// count, so each finds its array where its previous click left it, in
// whichever cache holds it.
#pragma once

#include "Buttons.h"
#include "Caches.h"
#include "Measurement.h"
#include "Median.h"
#include "Rounds.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace bench {

/// Where the default series starts: a few KiB of array, well inside the first cache level.
inline constexpr std::size_t kSweepFirstBytes = 4 * 1024;
/// Where it ends: this many times the last-level cache, so that the curve reaches main memory.
inline constexpr int kSweepLastCacheMultiple = 4;
/// Where it ends when the machine tells no cache size.
inline constexpr std::size_t kSweepLastBytesWithoutCaches = std::size_t{256} << 20;
/// Sizes per doubling of the default series.
inline constexpr int kSweepPointsPerDoubling = 4;
/// Clicks per size by default: its first click and six more in two rounds,
/// of which four count.
inline constexpr int kSweepRepetitions = 7;
/// The longest one click may take by default.
inline constexpr std::chrono::milliseconds kSweepClickBudget{100};
/// Room kept free besides a size's own peak: the program and its allocator.
inline constexpr long long kSweepMemoryReserveBytes = 64LL << 20;

/// count elements, from from to to, perDoubling per doubling: from x 2^(k /
/// perDoubling) rounded, ascending, each once; to is always the last.
std::vector<int> GeometricSizes(int from, int to, int perDoubling);

/// The array bytes of the default series: kSweepFirstBytes x 2^(k /
/// kSweepPointsPerDoubling), each rounded to whole cache lines (64 bytes,
/// which every element size divides), up to lastBytes.
std::vector<std::size_t> DefaultSweepBytes(std::size_t lastBytes);

/// The last bytes of the default series on a machine with these caches.
std::size_t DefaultSweepLastBytes(const std::vector<CacheInfo>& caches);

/// The most a click of the button over count elements holds at once: its
/// array, for the string arrays each element's own buffer, for the vector
/// that grows without reserve its old and new blocks during the last growth.
/// The global arrays allocate nothing.
long long PeakBytes(const ButtonSpec& button, int count);

/// Bytes this process may still allocate: the least of the machine's
/// available memory (/proc/meminfo) and what its address-space and data
/// limits leave.
long long AvailableMemoryBytes();

/// What a sweep is asked to measure.
struct SweepRequest {
    /// Buttons that read the count and store something (SweepRefusal says why others cannot).
    std::vector<const ButtonSpec*> buttons;
    /// Element counts, from, to and per doubling; none: the default series by bytes.
    struct Sizes {
        int from = 0;
        int to = 0;
        int perDoubling = kSweepPointsPerDoubling;
    };
    std::optional<Sizes> sizes;
    int repetitions = kSweepRepetitions;
    std::uint32_t seed = 0;
    std::chrono::nanoseconds clickBudget = kSweepClickBudget;
};

/// Why a button cannot be swept at all: a fixed array, or one that stores
/// nothing; none when it can.
std::optional<std::string> SweepRefusal(const ButtonSpec& button);

/// One thing a sweep measures: a button's fill of count elements, or, with
/// no button, the store limit: memset of bytes.
struct SweepSubject {
    const ButtonSpec* button = nullptr;
    int count = 0;
    std::size_t bytes = 0;

    bool IsLimit() const { return button == nullptr; }
};

struct SweepPlan {
    /// Each button's sizes ascending, the buttons in the request's order;
    /// then the limit's sizes, ascending, one per distinct size of at least
    /// kMinRateBytes.
    std::vector<SweepSubject> subjects;
    /// Said once, in English: sizes the plan left out and why.
    std::vector<std::string> notes;
    int repetitions = kSweepRepetitions;
    std::uint32_t seed = 0;
    std::chrono::nanoseconds clickBudget = kSweepClickBudget;
};

/// The plan of a request on a machine with these caches and this much
/// memory to spare; or, for a request it cannot run, why (one line). Sizes
/// the request names explicitly are refused when a global array cannot hold
/// them or memory cannot; the default series leaves those out with a note.
std::variant<SweepPlan, std::string> PlanSweep(const SweepRequest& request, const std::vector<CacheInfo>& caches,
                                               long long availableBytes);

/// Why a button's sizes end before the plan's last.
struct SweepStop {
    enum class Reason {
        Budget,   ///< one click at count would take longer than the budget
        Memory,   ///< the machine could not hold the click's peak
        Failed,   ///< a click at count failed
    };
    const ButtonSpec* button = nullptr;
    Reason reason = Reason::Budget;
    int count = 0;  ///< the first size left out
    /// Budget: the predicted time of one click at count.
    std::chrono::nanoseconds predicted{};
    /// Memory: what the click needs and what was available, in bytes.
    long long neededBytes = 0;
    long long availableBytes = 0;
    /// Failed: the kernel's error.
    std::string error;
};

struct SweepClick {
    std::size_t subject = 0;
    int repetition = 0;     ///< 0 is the size's first click
    int round = 0;          ///< 0 for the first pass; the rounds from 1
    /// The click just before it was one of the same subject's.
    bool followsOwnClick = false;
    Measurement measurement;
    long pageFaults = 0;    ///< minor page faults of the process during the click
};

/// What a sweep has measured so far.
struct SweepRun {
    SweepPlan plan;
    /// Per subject: false when it was left out (its button stopped before it,
    /// or, for a limit, no size of a button still needs it).
    std::vector<bool> active;
    std::vector<SweepStop> stops;
    std::vector<SweepClick> clicks;  ///< in the order they ran
    int rounds = 0;                  ///< interleaved rounds after the first pass

    /// Wall time of the subject's clicks that follow one of its own.
    std::vector<std::chrono::nanoseconds> Counted(std::size_t subject) const;
    /// The median of Counted; none without one.
    std::optional<HalfNanoseconds> Median(std::size_t subject) const;
    /// The shortest of Counted; none without one. The store limit is a
    /// ceiling: the fastest the machine stored those bytes in the run.
    std::optional<std::chrono::nanoseconds> Fastest(std::size_t subject) const;
    /// The subject's first click; none when it never ran.
    const SweepClick* First(std::size_t subject) const;
    /// The limit subject of these bytes; none when the plan has none.
    std::optional<std::size_t> LimitFor(std::size_t bytes) const;
};

/// Runs a plan step by step, so that a window can stay responsive between
/// steps and stop early.
class SweepRunner {
public:
    using AvailableMemory = std::function<long long()>;
    explicit SweepRunner(SweepPlan plan, AvailableMemory available = &AvailableMemoryBytes);
    ~SweepRunner();
    SweepRunner(const SweepRunner&) = delete;
    SweepRunner& operator=(const SweepRunner&) = delete;

    /// Runs the next step: one first click, or one subject's clicks of one
    /// round. False when nothing was left to run.
    bool Step();
    bool Done() const;
    /// Clicks run, and clicks still to run as far as the plan knows now
    /// (a button that stops takes its sizes' clicks with it).
    std::size_t ClicksDone() const;
    std::size_t ClicksLeft() const;
    const SweepRun& Run() const { return m_run; }

private:
    void FirstClick(std::size_t subject);
    void PlanTheRounds();
    SweepClick Click(std::size_t subject, int repetition, int round);

    SweepRun m_run;
    AvailableMemory m_available;
    std::vector<std::size_t> m_firstPass;  ///< subjects by bytes, smallest first
    std::size_t m_nextFirst = 0;
    std::vector<RoundSlot> m_rounds;       ///< planned when the first pass ends
    std::size_t m_nextRound = 0;
    bool m_roundsPlanned = false;
    std::unique_ptr<unsigned char[]> m_limitBuffer;
};

/// Runs the whole plan; progress is called before each step.
SweepRun RunSweep(SweepPlan plan, const std::function<void(const SweepRunner&)>& progress = {});

}  // namespace bench
