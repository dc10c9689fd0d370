#include "KernelProfile.h"

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
    // A kernel that refuses its count or fails would be sampled failing:
    // shares of work never done.
    const bench::Measurement first = kernel(count);
    if (!first.Succeeded()) {
        HotProfile failed;
        failed.refusal = "not sampled: the kernel failed: " + first.error->message;
        return AttributeSamples(listing, failed);
    }
    return AttributeSamples(listing, Sample([&] { kernel(count); }, duration, CurrentPerfEventOpen()));
}

}  // namespace disasm
