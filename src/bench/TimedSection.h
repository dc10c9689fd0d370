// Markers that tell where a kernel's timed section lies in its machine code,
// so that the program can show the instructions it timed:
//
//     const auto t0 = std::chrono::system_clock::now();
//     VELQUOR_TIMED_BEGIN();
//     for (...) { ... }
//     bench::Clobber();
//     VELQUOR_TIMED_END();
//     const auto t1 = std::chrono::system_clock::now();
//
// Each marker places an assembler label where it stands and records the
// label's address in the section velquor_timed, which the linker brackets
// with __start_velquor_timed and __stop_velquor_timed. The marker emits no
// instruction, so the loop keeps its instructions (the register allocator may
// still choose differently). Its memory clobber keeps it on its side of the
// clock call and of the kernel's stores, as Clobber() does.
#pragma once

#include <cstdint>

namespace bench {

/// One record of the velquor_timed section.
struct TimedMarker {
    /// The label's address minus the address of this field. Relative, so the
    /// table needs no relocation in a position-independent program and stays
    /// read-only.
    std::int64_t labelOffsetBytes;
    /// kTimedBegin or kTimedEnd.
    std::int64_t kind;
};

/// The marker right after the t0 clock reading.
inline constexpr std::int64_t kTimedBegin = 1;
/// The marker right before the t1 clock reading.
inline constexpr std::int64_t kTimedEnd = 2;

}  // namespace bench

// "a?": read-only, and a member of the function's own section group where it
// has one (an inline function or a template kernel), so that the linker drops
// the record together with a discarded duplicate of the function.
#define VELQUOR_TIMED_MARK_(kindValue)                                \
    asm volatile("1:\n\t"                                             \
                 ".pushsection velquor_timed,\"a?\",@progbits\n\t"    \
                 ".balign 8\n\t"                                      \
                 ".quad 1b - .\n\t"                                   \
                 ".quad %c0\n\t"                                      \
                 ".popsection"                                        \
                 :                                                    \
                 : "i"(kindValue)                                     \
                 : "memory")

/// Marks the start of the timed section; place it right after t0's clock reading.
#define VELQUOR_TIMED_BEGIN() VELQUOR_TIMED_MARK_(::bench::kTimedBegin)
/// Marks the end of the timed section; place it right before t1's clock reading.
#define VELQUOR_TIMED_END() VELQUOR_TIMED_MARK_(::bench::kTimedEnd)
