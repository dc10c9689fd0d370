// Functions written in assembly, so that the tests know every instruction the
// disassembler must find, independent of the compiler.
#pragma once

extern "C" {

/// Stands for the clock: returns at once.
void velquor_asm_clock();

/// A marked timed section: after the t0 call a move saves its result, the
/// begin marker, a store loop over array[0..count) whose bound check jumps
/// to velquor_asm_fail, the end marker, a move, the t1 call. After the call
/// to velquor_asm_fail stand instructions no path of the section reaches.
///   mov rbx, rax | xor eax, eax | test rsi, rsi | jz END
///   LOOP: cmp rax, rdx | jnb FAIL | mov dword ptr [rdi+rax*4], eax | add rax, 1 | cmp rax, rsi | jnz LOOP
///   END: mov rcx, rbx | call velquor_asm_clock
///   FAIL: call velquor_asm_fail
void velquor_asm_fill();

/// Never returns: its only instruction traps.
void velquor_asm_fail();

/// Two begin markers and one end marker, as a compiler that duplicated the
/// begin marker would leave them.
void velquor_asm_duplicated_marker();

/// A begin marker followed by a return: the end marker cannot be reached.
void velquor_asm_unreachable_end();

/// A thunk as g++'s identical-code folding leaves one: it saves a register,
/// calls velquor_asm_fill, restores and returns.
void velquor_asm_folded();

/// Calls velquor_asm_clock, then jumps to velquor_asm_fill: two functions
/// reached, so no thunk, and no markers of its own.
void velquor_asm_two_targets();

}
