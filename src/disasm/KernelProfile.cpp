#include "KernelProfile.h"

#include <new>

namespace disasm {

namespace {

PerfEventOpen& CurrentPerfEventOpen() {
    static PerfEventOpen open = SystemPerfEventOpen;
    return open;
}

}  // namespace

PerfEventOpen SetPerfEventOpen(PerfEventOpen open) {
    const PerfEventOpen previous = CurrentPerfEventOpen();
    CurrentPerfEventOpen() = open;
    return previous;
}

HotShares ProfileKernel(const Listing& listing, bench::KernelFunction kernel, int count,
                        std::chrono::milliseconds duration) {
    HotProfile failed;
    try {
        // A kernel that refuses its count or fails would be sampled failing:
        // shares of work never done.
        const bench::Measurement first = kernel(count);
        if (first.Succeeded()) {
            return AttributeSamples(listing, Sample([&] { kernel(count); }, duration, CurrentPerfEventOpen()));
        }
        failed.refusal = "not sampled: the kernel failed: " + first.error->message;
    } catch (const std::bad_alloc&) {
        // The samples' buffers or the attribution's: this kernel goes without shares.
        failed.refusal = "not sampled: out of memory while sampling";
    }
    return AttributeSamples(listing, failed);
}

}  // namespace disasm
