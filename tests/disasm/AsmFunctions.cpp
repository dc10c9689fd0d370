#include "AsmFunctions.h"

// The markers are written out as VELQUOR_TIMED_BEGIN and VELQUOR_TIMED_END
// write them: a label, and its address relative to the record, with the kind
// (1 begin, 2 end).
#define MARK(kind)                                    \
    "9:\n"                                            \
    ".pushsection velquor_timed,\"a\",@progbits\n"    \
    ".balign 8\n"                                     \
    ".quad 9b - .\n"                                  \
    ".quad " #kind "\n"                               \
    ".popsection\n"

#define FUNCTION(name) \
    ".p2align 4\n"     \
    ".globl " name "\n" \
    ".type " name ", @function\n" name ":\n"

#define END(name) ".size " name ", .-" name "\n"

// In a section of their own within .text, so that the compiler's idea of
// the current section survives.
asm(".pushsection .text\n"
    FUNCTION("velquor_asm_clock")
    "ret\n"
    END("velquor_asm_clock")

    FUNCTION("velquor_asm_fail")
    "ud2\n"
    END("velquor_asm_fail")

    FUNCTION("velquor_asm_fill")
    "push %rbx\n"
    "call velquor_asm_clock\n"
    "mov %rax, %rbx\n"
    MARK(1)
    "xor %eax, %eax\n"
    "test %rsi, %rsi\n"
    "je 3f\n"
    "2:\n"
    "cmp %rdx, %rax\n"
    "jae 5f\n"
    "movl %eax, (%rdi,%rax,4)\n"
    "add $1, %rax\n"
    "cmp %rsi, %rax\n"
    "jne 2b\n"
    "3:\n"
    MARK(2)
    "mov %rbx, %rcx\n"
    "call velquor_asm_clock\n"
    "pop %rbx\n"
    "ret\n"
    "5:\n"
    "call velquor_asm_fail\n"
    "mov $7, %eax\n"
    "pop %rbx\n"
    "ret\n"
    END("velquor_asm_fill")

    FUNCTION("velquor_asm_duplicated_marker")
    "call velquor_asm_clock\n"
    MARK(1)
    "test %rdi, %rdi\n"
    "je 4f\n"
    "nop\n"
    MARK(1)
    "4:\n"
    MARK(2)
    "call velquor_asm_clock\n"
    "ret\n"
    END("velquor_asm_duplicated_marker")

    FUNCTION("velquor_asm_unreachable_end")
    "call velquor_asm_clock\n"
    MARK(1)
    "ret\n"
    MARK(2)
    "call velquor_asm_clock\n"
    "ret\n"
    END("velquor_asm_unreachable_end")

    FUNCTION("velquor_asm_folded")
    "push %rbx\n"
    "mov %rdi, %rbx\n"
    "call velquor_asm_fill\n"
    "mov %rbx, %rax\n"
    "pop %rbx\n"
    "ret\n"
    END("velquor_asm_folded")

    FUNCTION("velquor_asm_two_targets")
    "call velquor_asm_clock\n"
    "jmp velquor_asm_fill\n"
    END("velquor_asm_two_targets")
    ".popsection\n");
