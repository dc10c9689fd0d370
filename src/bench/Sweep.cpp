#include "Sweep.h"

#include "GlobalData.h"
#include "Protocol.h"
#include "StoreLimit.h"

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <new>
#include <set>
#include <sstream>

namespace bench {
namespace {

/// What a CString element holds besides its pointer: the shared buffer's
/// header and up to eleven characters of an index, as the allocator rounds it.
constexpr long long kStringBufferBytes = 96;

constexpr std::size_t kLineBytes = 64;

std::string MiB(long long bytes) {
    std::ostringstream out;
    out << (bytes + (1LL << 19)) / (1LL << 20) << " MiB";
    return out.str();
}

// A "Key: value kB" line of a /proc file, in bytes; none when absent.
std::optional<long long> ProcKilobytes(const char* file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
        std::istringstream fields(line.substr(key.size() + 1));
        long long kilobytes = 0;
        if (fields >> kilobytes) return kilobytes * 1024;
    }
    return std::nullopt;
}

// What a resource limit leaves beside what is in use; none without a limit.
std::optional<long long> Headroom(int resource, const std::string& usedKey) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    const long long used = ProcKilobytes("/proc/self/status", usedKey).value_or(0);
    return static_cast<long long>(std::min<rlim_t>(limit.rlim_cur, LLONG_MAX)) - used;
}

// One memset of the limit over bytes, timed as a kernel times its loop.
Measurement MemsetClick(unsigned char* buffer, std::size_t bytes, int value) {
    Escape(buffer);
    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    std::memset(buffer, value, bytes);
    Clobber();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();
    return Completed(static_cast<int>(std::min<std::size_t>(bytes, INT_MAX)), t1 - t0, cpu1 - cpu0, std::nullopt);
}

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

bool IsGlobal(const ButtonSpec& button) {
    return button.family == Family::GlobalArrays;
}

std::string ButtonList(const std::vector<const ButtonSpec*>& buttons) {
    std::string ids;
    for (const ButtonSpec* b : buttons) ids += (ids.empty() ? "" : ", ") + std::to_string(b->buttonId);
    return ids;
}

}  // namespace

std::vector<int> GeometricSizes(int from, int to, int perDoubling) {
    std::vector<int> sizes;
    if (from < 1 || to < from || perDoubling < 1) return sizes;
    for (int k = 0;; ++k) {
        const double value = std::round(from * std::exp2(static_cast<double>(k) / perDoubling));
        if (value >= to) break;
        if (sizes.empty() || value > sizes.back()) sizes.push_back(static_cast<int>(value));
    }
    sizes.push_back(to);
    return sizes;
}

std::vector<std::size_t> DefaultSweepBytes(std::size_t lastBytes) {
    std::vector<std::size_t> bytes;
    for (int k = 0;; ++k) {
        const double exact = static_cast<double>(kSweepFirstBytes) * std::exp2(static_cast<double>(k) / kSweepPointsPerDoubling);
        const auto rounded = static_cast<std::size_t>(std::llround(exact / kLineBytes)) * kLineBytes;
        if (rounded > lastBytes) break;
        if (bytes.empty() || rounded > bytes.back()) bytes.push_back(rounded);
    }
    return bytes;
}

std::size_t DefaultSweepLastBytes(const std::vector<CacheInfo>& caches) {
    const std::vector<CacheInfo> levels = DataCacheLevels(caches);
    if (levels.empty()) return kSweepLastBytesWithoutCaches;
    return static_cast<std::size_t>(levels.back().sizeBytes) * kSweepLastCacheMultiple;
}

long long PeakBytes(const ButtonSpec& button, int count) {
    const long long n = std::max(count, 0);
    const auto element = static_cast<long long>(button.bytesPerElement);
    if (IsGlobal(button)) return 0;
    if (button.family == Family::StringArrays || button.bytesPerElement == sizeof(CString)) {
        // Each element's own buffer, and the char[] of the pointer variant.
        return n * (element + kStringBufferBytes + 1);
    }
    // Growing without reserve: the old block and the new one, twice as large, during the last growth.
    if (button.kernel == &FillVectorPushBackGrowing) return 3 * n * element;
    return n * element;
}

long long AvailableMemoryBytes() {
    long long available = ProcKilobytes("/proc/meminfo", "MemAvailable").value_or(LLONG_MAX);
    if (const auto room = Headroom(RLIMIT_AS, "VmSize")) available = std::min(available, *room);
    if (const auto room = Headroom(RLIMIT_DATA, "VmData")) available = std::min(available, *room);
    return std::max(available, 0LL);
}

std::optional<std::string> SweepRefusal(const ButtonSpec& button) {
    const std::string id = std::to_string(button.buttonId);
    if (!button.readsCount) {
        return id + " fills a fixed local array of " + std::to_string(kFixedArrayLength) +
               " elements on the stack: it cannot take another size";
    }
    if (button.bytesPerElement == 0) return id + " moves a pointer and stores nothing: it has no array to grow";
    return std::nullopt;
}

std::variant<SweepPlan, std::string> PlanSweep(const SweepRequest& request, const std::vector<CacheInfo>& caches,
                                               long long availableBytes) {
    SweepPlan plan;
    plan.repetitions = request.repetitions;
    plan.seed = request.seed;
    plan.clickBudget = request.clickBudget;
    if (request.buttons.empty()) return std::string("a sweep needs at least one button");
    if (request.repetitions < 1) return std::string("a sweep needs at least one click per size");
    std::vector<const ButtonSpec*> globals;
    for (const ButtonSpec* b : request.buttons) {
        if (auto why = SweepRefusal(*b)) return *why;
        if (IsGlobal(*b)) globals.push_back(b);
    }
    if (const auto& sizes = request.sizes) {
        if (sizes->from < 1) return std::string("--sizes starts at 0 elements; a size needs at least 1 element");
        if (sizes->to < sizes->from) {
            return "--sizes ends at " + std::to_string(sizes->to) + " elements, below its start, " +
                   std::to_string(sizes->from) + "; give FROM:TO with FROM at most TO";
        }
        if (sizes->perDoubling < 1 || sizes->perDoubling > 64) {
            return "--sizes takes 1 to 64 sizes per doubling, not " + std::to_string(sizes->perDoubling);
        }
        if (!globals.empty() && sizes->to > kGlobalArrayLength) {
            return "--sizes reaches " + std::to_string(sizes->to) + " elements, but the global arrays (" + ButtonList(globals) +
                   ") hold " + std::to_string(kGlobalArrayLength) + "; end at most there or leave them out";
        }
        for (const ButtonSpec* b : request.buttons) {
            const long long needed =
                PeakBytes(*b, sizes->to) + static_cast<long long>(b->bytesPerElement) * sizes->to + kSweepMemoryReserveBytes;
            if (needed > availableBytes) {
                return "--sizes reaches " + std::to_string(sizes->to) + " elements: a click of " + std::to_string(b->buttonId) +
                       " there needs about " + MiB(needed) + " with the limit's buffer, and this process can have " +
                       MiB(availableBytes);
            }
        }
        for (const ButtonSpec* b : request.buttons) {
            for (int count : GeometricSizes(sizes->from, sizes->to, sizes->perDoubling)) {
                plan.subjects.push_back({b, count, b->bytesPerElement * static_cast<std::size_t>(count)});
            }
        }
    } else {
        const std::vector<std::size_t> series = DefaultSweepBytes(DefaultSweepLastBytes(caches));
        bool globalCut = false;
        for (const ButtonSpec* b : request.buttons) {
            std::optional<std::size_t> memoryCut;
            for (std::size_t bytes : series) {
                const std::size_t count = bytes / b->bytesPerElement;
                if (IsGlobal(*b) && count > static_cast<std::size_t>(kGlobalArrayLength)) {
                    globalCut = true;
                    break;
                }
                const long long needed = PeakBytes(*b, static_cast<int>(count)) + static_cast<long long>(bytes) + kSweepMemoryReserveBytes;
                if (needed > availableBytes) {
                    memoryCut = bytes;
                    break;
                }
                plan.subjects.push_back({b, static_cast<int>(count), bytes});
            }
            if (memoryCut) {
                plan.notes.push_back(std::to_string(b->buttonId) + ": sizes from " + std::to_string(*memoryCut) +
                                     " bytes on are left out: this process can have " + MiB(availableBytes));
            }
        }
        if (globalCut) {
            plan.notes.push_back("the global arrays (" + ButtonList(globals) + ") stop at their " +
                                 std::to_string(kGlobalArrayLength) + " elements (" +
                                 MiB(static_cast<long long>(kGlobalArrayLength) * 8) + ")");
        }
    }
    std::set<std::size_t> limits;
    for (const SweepSubject& s : plan.subjects) {
        if (s.bytes >= kMinRateBytes) limits.insert(s.bytes);
    }
    for (std::size_t bytes : limits) plan.subjects.push_back({nullptr, 0, bytes});
    return plan;
}

std::vector<std::chrono::nanoseconds> SweepRun::Counted(std::size_t subject) const {
    std::vector<std::chrono::nanoseconds> elapsed;
    for (const SweepClick& c : clicks) {
        if (c.subject == subject && c.followsOwnClick && c.measurement.Succeeded()) {
            elapsed.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(c.measurement.elapsed));
        }
    }
    return elapsed;
}

std::optional<HalfNanoseconds> SweepRun::Median(std::size_t subject) const {
    std::vector<std::chrono::nanoseconds> counted = Counted(subject);
    if (counted.empty()) return std::nullopt;
    return bench::Median(std::move(counted));
}

std::optional<std::chrono::nanoseconds> SweepRun::Fastest(std::size_t subject) const {
    const std::vector<std::chrono::nanoseconds> counted = Counted(subject);
    if (counted.empty()) return std::nullopt;
    return *std::min_element(counted.begin(), counted.end());
}

const SweepClick* SweepRun::First(std::size_t subject) const {
    for (const SweepClick& c : clicks) {
        if (c.subject == subject) return &c;
    }
    return nullptr;
}

std::optional<std::size_t> SweepRun::LimitFor(std::size_t bytes) const {
    for (std::size_t i = 0; i < plan.subjects.size(); ++i) {
        if (plan.subjects[i].IsLimit() && plan.subjects[i].bytes == bytes) return i;
    }
    return std::nullopt;
}

SweepRunner::SweepRunner(SweepPlan plan, AvailableMemory available) : m_available(std::move(available)) {
    m_run.plan = std::move(plan);
    const std::vector<SweepSubject>& subjects = m_run.plan.subjects;
    m_run.active.assign(subjects.size(), true);
    m_firstPass.resize(subjects.size());
    for (std::size_t i = 0; i < subjects.size(); ++i) m_firstPass[i] = i;
    std::stable_sort(m_firstPass.begin(), m_firstPass.end(),
                     [&](std::size_t a, std::size_t b) { return subjects[a].bytes < subjects[b].bytes; });
    std::size_t limitBytes = 0;
    for (const SweepSubject& s : subjects) {
        if (s.IsLimit()) limitBytes = std::max(limitBytes, s.bytes);
    }
    if (limitBytes > 0) {
        // One block for every size of the limit, its pages mapped before any
        // timing: each memset writes where the previous one wrote, as a
        // counted click writes where its previous click did.
        m_limitBuffer.reset(new (std::nothrow) unsigned char[limitBytes]);
        if (m_limitBuffer) {
            std::memset(m_limitBuffer.get(), 0, limitBytes);
        } else {
            m_run.plan.notes.push_back("the store limit is not measured: its buffer of " + MiB(static_cast<long long>(limitBytes)) +
                                       " could not be allocated");
            for (std::size_t i = 0; i < subjects.size(); ++i) {
                if (subjects[i].IsLimit()) m_run.active[i] = false;
            }
        }
    }
}

SweepRunner::~SweepRunner() = default;

SweepClick SweepRunner::Click(std::size_t subject, int repetition, int round) {
    const SweepSubject& s = m_run.plan.subjects[subject];
    SweepClick click;
    click.subject = subject;
    click.repetition = repetition;
    click.round = round;
    click.followsOwnClick = !m_run.clicks.empty() && m_run.clicks.back().subject == subject;
    const long faultsBefore = MinorFaults();
    click.measurement = s.IsLimit() ? MemsetClick(m_limitBuffer.get(), s.bytes, static_cast<int>(m_run.clicks.size() % 255 + 1))
                                    : s.button->kernel(s.count);
    click.pageFaults = MinorFaults() - faultsBefore;
    return click;
}

void SweepRunner::FirstClick(std::size_t subject) {
    const SweepSubject& s = m_run.plan.subjects[subject];
    auto stop = [&](SweepStop why) {
        why.button = s.button;
        why.count = s.count;
        m_run.stops.push_back(std::move(why));
        for (std::size_t i = 0; i < m_run.plan.subjects.size(); ++i) {
            const SweepSubject& other = m_run.plan.subjects[i];
            if (other.button == s.button && other.count >= s.count) m_run.active[i] = false;
        }
    };
    if (!s.IsLimit()) {
        const long long needed = PeakBytes(*s.button, s.count) + kSweepMemoryReserveBytes;
        if (const long long available = m_available(); needed > available) {
            SweepStop why;
            why.reason = SweepStop::Reason::Memory;
            why.neededBytes = needed;
            why.availableBytes = available;
            stop(std::move(why));
            return;
        }
        // The button's largest first click so far, scaled to this count.
        const SweepClick* previous = nullptr;
        for (const SweepClick& c : m_run.clicks) {
            if (c.round == 0 && m_run.plan.subjects[c.subject].button == s.button && c.measurement.Succeeded()) previous = &c;
        }
        if (previous != nullptr) {
            const double scale = static_cast<double>(s.count) / m_run.plan.subjects[previous->subject].count;
            const auto predicted = std::chrono::duration_cast<std::chrono::nanoseconds>(previous->measurement.elapsed * scale);
            if (predicted > m_run.plan.clickBudget) {
                SweepStop why;
                why.reason = SweepStop::Reason::Budget;
                why.predicted = predicted;
                stop(std::move(why));
                return;
            }
        }
    }
    m_run.clicks.push_back(Click(subject, 0, 0));
    if (const auto& error = m_run.clicks.back().measurement.error) {
        SweepStop why;
        why.reason = SweepStop::Reason::Failed;
        why.error = error->message;
        stop(std::move(why));
    }
}

void SweepRunner::PlanTheRounds() {
    m_roundsPlanned = true;
    const std::vector<SweepSubject>& subjects = m_run.plan.subjects;
    // A limit that no size still measured needs is not run again.
    std::set<std::size_t> needed;
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        if (!subjects[i].IsLimit() && m_run.active[i]) needed.insert(subjects[i].bytes);
    }
    std::vector<std::size_t> items;
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        if (subjects[i].IsLimit() && !needed.count(subjects[i].bytes)) m_run.active[i] = false;
        if (m_run.active[i]) items.push_back(i);
    }
    m_rounds = PlanRounds(items.size(), m_run.plan.repetitions - 1, m_run.plan.seed);
    for (RoundSlot& slot : m_rounds) {
        slot.item = items[slot.item];
        slot.repetition += 1;
        slot.round += 1;
        m_run.rounds = std::max(m_run.rounds, slot.round);
    }
}

bool SweepRunner::Step() {
    while (m_nextFirst < m_firstPass.size()) {
        const std::size_t subject = m_firstPass[m_nextFirst++];
        if (!m_run.active[subject]) continue;
        FirstClick(subject);
        return true;
    }
    if (!m_roundsPlanned) PlanTheRounds();
    if (m_nextRound >= m_rounds.size()) return false;
    // One subject's clicks of one round, one after the other.
    const RoundSlot first = m_rounds[m_nextRound];
    while (m_nextRound < m_rounds.size() && m_rounds[m_nextRound].item == first.item && m_rounds[m_nextRound].round == first.round) {
        const RoundSlot& slot = m_rounds[m_nextRound++];
        m_run.clicks.push_back(Click(slot.item, slot.repetition, slot.round));
    }
    return true;
}

bool SweepRunner::Done() const {
    return ClicksLeft() == 0;
}

std::size_t SweepRunner::ClicksDone() const {
    return m_run.clicks.size();
}

std::size_t SweepRunner::ClicksLeft() const {
    if (m_roundsPlanned) return m_rounds.size() - m_nextRound;
    std::size_t left = 0, active = 0;
    for (std::size_t i = 0; i < m_run.active.size(); ++i) {
        if (!m_run.active[i]) continue;
        ++active;
        if (std::find(m_firstPass.begin() + static_cast<std::ptrdiff_t>(m_nextFirst), m_firstPass.end(), i) != m_firstPass.end()) ++left;
    }
    return left + active * static_cast<std::size_t>(std::max(0, m_run.plan.repetitions - 1));
}

SweepRun RunSweep(SweepPlan plan, const std::function<void(const SweepRunner&)>& progress) {
    SweepRunner runner(std::move(plan));
    do {
        if (progress) progress(runner);
    } while (runner.Step());
    return runner.Run();
}

}  // namespace bench
