#include "Decoder.h"

#include <Zydis/Zydis.h>

namespace disasm {

struct Decoder::Zydis {
    ZydisDecoder decoder;
    ZydisFormatter formatter;
};

Decoder::Decoder(Syntax syntax) : zydis_(std::make_unique<Zydis>()) {
    ZydisDecoderInit(&zydis_->decoder, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
    ZydisFormatterInit(&zydis_->formatter,
                       syntax == Syntax::Att ? ZYDIS_FORMATTER_STYLE_ATT : ZYDIS_FORMATTER_STYLE_INTEL);
    // Every memory operand says its width ("dword ptr"), as objdump writes it:
    // the width of a store is what tells a scalar loop from a vector one.
    ZydisFormatterSetProperty(&zydis_->formatter, ZYDIS_FORMATTER_PROP_FORCE_SIZE, ZYAN_TRUE);
    // Numbers as objdump and the listing's own offsets write them: 0x1, 0xfffffffc.
    ZydisFormatterSetProperty(&zydis_->formatter, ZYDIS_FORMATTER_PROP_HEX_UPPERCASE, ZYAN_FALSE);
    ZydisFormatterSetProperty(&zydis_->formatter, ZYDIS_FORMATTER_PROP_DISP_PADDING, ZYDIS_PADDING_DISABLED);
    ZydisFormatterSetProperty(&zydis_->formatter, ZYDIS_FORMATTER_PROP_IMM_PADDING, ZYDIS_PADDING_DISABLED);
}

Decoder::~Decoder() = default;

namespace {

Flow FlowOf(const ZydisDecodedInstruction& instruction) {
    switch (instruction.meta.category) {
        case ZYDIS_CATEGORY_CALL: return Flow::Call;
        case ZYDIS_CATEGORY_UNCOND_BR: return Flow::Jump;
        case ZYDIS_CATEGORY_COND_BR: return Flow::ConditionalJump;
        case ZYDIS_CATEGORY_RET: return Flow::Return;
        default: break;
    }
    switch (instruction.mnemonic) {
        case ZYDIS_MNEMONIC_UD0:
        case ZYDIS_MNEMONIC_UD1:
        case ZYDIS_MNEMONIC_UD2:
        case ZYDIS_MNEMONIC_INT3:
        case ZYDIS_MNEMONIC_HLT: return Flow::Stop;
        default: return Flow::Next;
    }
}

bool IsStackPointer(ZydisRegister reg) {
    return reg == ZYDIS_REGISTER_RSP || reg == ZYDIS_REGISTER_ESP || reg == ZYDIS_REGISTER_SP;
}

}  // namespace

std::optional<DecodedInstruction> Decoder::Decode(std::span<const std::uint8_t> bytes, std::uint64_t address) const {
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zydis_->decoder, bytes.data(), bytes.size(), &instruction, operands))) {
        return std::nullopt;
    }

    DecodedInstruction decoded;
    decoded.address = address;
    decoded.lengthBytes = instruction.length;
    decoded.flow = FlowOf(instruction);

    for (std::size_t i = 0; i < instruction.operand_count; ++i) {
        const ZydisDecodedOperand& operand = operands[i];
        ZyanU64 absolute = 0;
        if (operand.type == ZYDIS_OPERAND_TYPE_IMMEDIATE && operand.imm.is_relative &&
            ZYAN_SUCCESS(ZydisCalcAbsoluteAddress(&instruction, &operand, address, &absolute))) {
            decoded.directTarget = absolute;
        }
        if (operand.type != ZYDIS_OPERAND_TYPE_MEMORY) continue;
        if (operand.mem.base == ZYDIS_REGISTER_RIP &&
            ZYAN_SUCCESS(ZydisCalcAbsoluteAddress(&instruction, &operand, address, &absolute))) {
            decoded.ripTarget = absolute;
        }
        // A call's push of its return address is hidden; rep stos writes
        // through a hidden [rdi] and counts.
        const bool stackPush =
            operand.visibility == ZYDIS_OPERAND_VISIBILITY_HIDDEN && IsStackPointer(operand.mem.base);
        if ((operand.actions & ZYDIS_OPERAND_ACTION_MASK_WRITE) != 0 && !stackPush) {
            decoded.storeWidthsBytes.push_back(operand.size / 8);
        }
    }

    // Formatted as tokens, so that prefixes and mnemonic come apart from the
    // operands in both syntaxes. Relative targets are formatted without a
    // runtime address: the listing names them itself.
    char buffer[512];
    const ZydisFormatterToken* token = nullptr;
    if (!ZYAN_SUCCESS(ZydisFormatterTokenizeInstruction(&zydis_->formatter, &instruction, operands,
                                                        instruction.operand_count_visible, buffer, sizeof buffer,
                                                        ZYDIS_RUNTIME_ADDRESS_NONE, &token, nullptr))) {
        return std::nullopt;
    }
    bool mnemonicDone = false;
    do {
        ZydisTokenType type = ZYDIS_TOKEN_INVALID;
        ZyanConstCharPointer value = nullptr;
        ZydisFormatterTokenGetValue(token, &type, &value);
        if (!mnemonicDone) {
            decoded.mnemonic += value;
            mnemonicDone = type == ZYDIS_TOKEN_MNEMONIC;
        } else if (!(decoded.operands.empty() && type == ZYDIS_TOKEN_WHITESPACE)) {
            decoded.operands += value;
        }
    } while (ZYAN_SUCCESS(ZydisFormatterTokenNext(&token)));
    return decoded;
}

}  // namespace disasm
