#include "Protocol.h"

#include <time.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

namespace bench {
namespace {

Inspector& CurrentInspector() {
    static Inspector inspector;
    return inspector;
}

Measurement Failure(int count, ErrorKind kind, std::string message) {
    Measurement m;
    m.elementCount = count;
    m.error = KernelError{kind, std::move(message)};
    return m;
}

std::chrono::nanoseconds ThreadCpuTime() noexcept {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The system clock, then this thread's CPU clock.
CpuClockReading ReadClocks() noexcept {
    CpuClockReading reading;
    reading.wall = std::chrono::system_clock::now();
    reading.cpu = ThreadCpuTime();
    return reading;
}

}  // namespace

std::optional<Measurement> RefuseCount(int count, int maxCount) {
    std::optional<Measurement> refused;
    if (count < 0) {
        refused = Failure(count, ErrorKind::CountRefused, "count is negative: " + std::to_string(count));
    } else if (count > maxCount) {
        refused = Failure(count, ErrorKind::CountRefused,
                          "count is too large: " + std::to_string(count) + " (at most " + std::to_string(maxCount) + ")");
    }
    if (refused) refused->error->maxCount = maxCount;
    return refused;
}

CString ScratchText(int count) {
    CString text;
    text.Format(L"%d", count);
    return text;
}

CpuClockReading CpuClockBeforeSection() noexcept {
    ThreadCpuTime();  // where a pending switch to another thread happens
    return ReadClocks();
}

CpuClockReading CpuClockAfterSection() noexcept {
    return ReadClocks();
}

Measurement Completed(int elementCount, std::chrono::system_clock::duration elapsed, ThreadTime threadTime,
                      std::optional<CString> sink) {
    Measurement m;
    m.elapsed = elapsed;
    m.threadCpuTime = threadTime.cpu;
    m.offCpuTime = threadTime.wall - threadTime.cpu;
    m.elementCount = elementCount;
    m.sink = std::move(sink);
    if (const Inspector& inspect = CurrentInspector()) inspect(m);
    return m;
}

Measurement FailedRun(int count) {
    try {
        throw;
    } catch (const std::bad_alloc& e) {
        // Array new, a vector's growth and CString's buffers all end here.
        return Failure(count, ErrorKind::OutOfMemory, std::string("out of memory: ") + e.what());
    } catch (const std::exception& e) {
        return Failure(count, ErrorKind::Failed, e.what());
    } catch (...) {
        return Failure(count, ErrorKind::Failed, "unknown exception");
    }
}

std::optional<CString> SinkText(const std::vector<int>& sink) {
    if (sink.empty()) return std::nullopt;
    CString value;
    value.Format(L"%d", sink.front());
    return value;
}

std::optional<CString> SinkText(const std::vector<CString>& sink) {
    if (sink.empty()) return std::nullopt;
    return sink.front();
}

std::optional<CString> SinkText(const std::vector<std::string>& sink) {
    if (sink.empty()) return std::nullopt;
    return CString(sink.front().c_str());
}

void SetInspector(Inspector inspector) {
    CurrentInspector() = std::move(inspector);
}

}  // namespace bench
