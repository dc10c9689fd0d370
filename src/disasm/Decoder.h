// One x86-64 instruction at a time: its text in the chosen syntax and the few
// facts the listing needs (how it passes control on, where a direct branch
// goes, which memory it writes). Zydis does the decoding and formatting; this
// header keeps it out of everything above.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace disasm {

/// The assembly syntax a listing is written in.
enum class Syntax {
    Intel,  ///< destination first, "dword ptr [rax]" (objdump -M intel)
    Att,    ///< source first, "%eax, (%rdi)" (the GNU assembler's default)
};

/// How an instruction passes control to the next one.
enum class Flow {
    Next,             ///< falls through to the following instruction
    Call,             ///< calls, then normally returns to the following instruction
    Jump,             ///< always jumps (directTarget, or an indirect target)
    ConditionalJump,  ///< jumps to directTarget or falls through
    Return,           ///< returns to the caller
    Stop,             ///< traps or halts (ud2, int3, hlt): nothing follows
};

/// One decoded instruction.
struct DecodedInstruction {
    /// Address of its first byte in this process.
    std::uint64_t address = 0;
    /// Its encoded length in bytes (1 to 15).
    std::uint8_t lengthBytes = 0;
    /// Prefixes and mnemonic as the syntax writes them ("rep stosq", "vmovdqu").
    std::string mnemonic;
    /// The operands as the syntax writes them; relative branch targets appear
    /// as distances, which the listing replaces with names.
    std::string operands;
    /// How control goes on.
    Flow flow = Flow::Next;
    /// The target of a relative call or jump.
    std::optional<std::uint64_t> directTarget;
    /// The absolute address of a rip-relative memory operand (a global, or the
    /// GOT slot of an indirect call or jump).
    std::optional<std::uint64_t> ripTarget;
    /// Width in bytes of each memory write, stack pushes of calls excluded
    /// (4 for "mov dword ptr", 16 for an SSE store, 32 for an AVX store).
    std::vector<int> storeWidthsBytes;
};

/// Decodes 64-bit code. Not thread-safe: give each thread its own.
class Decoder {
public:
    explicit Decoder(Syntax syntax);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    /// Decodes the instruction at the start of bytes, which lie at address in
    /// this process; reads no byte beyond the span. nullopt for bytes that are
    /// no valid instruction or end inside one.
    std::optional<DecodedInstruction> Decode(std::span<const std::uint8_t> bytes, std::uint64_t address) const;

private:
    struct Zydis;
    std::unique_ptr<Zydis> zydis_;
};

}  // namespace disasm
