#include "Symbols.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace disasm {

std::string AddressName::ToString() const {
    if (offsetBytes == 0) return name;
    char offset[32];
    std::snprintf(offset, sizeof offset, "+0x%llx", static_cast<unsigned long long>(offsetBytes));
    return name + offset;
}

std::string Demangle(const std::string& mangled) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable != nullptr ? std::string(readable.get()) : mangled;
}

Symbolizer::Symbolizer(const ProgramImage& image) : image_(image), decoder_(Syntax::Intel) {}

std::optional<std::string> Symbolizer::ImportAt(std::uint64_t slotAddress) const {
    const std::string* name = image_.ImportAt(slotAddress);
    if (name == nullptr) return std::nullopt;
    return Demangle(*name);
}

std::optional<AddressName> Symbolizer::PltImportAt(std::uint64_t address) const {
    const std::optional<AddressRange> plt = image_.PltAt(address);
    if (!plt) return std::nullopt;
    // A stub is "jmp [rip+slot]", after an endbr64 where the program was
    // built for indirect-branch tracking. Its bytes are this process's own
    // code, and the read stops at the end of the PLT section.
    std::uint64_t at = address;
    for (int i = 0; i < 2 && at < plt->end; ++i) {
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(at), plt->end - at);
        const std::optional<DecodedInstruction> instruction = decoder_.Decode(bytes, at);
        if (!instruction) break;
        if (instruction->flow == Flow::Jump && instruction->ripTarget) {
            if (std::optional<std::string> name = ImportAt(*instruction->ripTarget)) {
                return AddressName{*name, 0};
            }
            break;
        }
        if (instruction->mnemonic != "endbr64") break;
        at += instruction->lengthBytes;
    }
    return AddressName{"PLT", address - plt->begin};
}

std::optional<AddressName> Symbolizer::FunctionAt(std::uint64_t address) const {
    if (const Symbol* symbol = image_.FunctionAt(address)) {
        return AddressName{Demangle(symbol->name), address - symbol->address};
    }
    if (std::optional<AddressName> import = PltImportAt(address)) return import;
    Dl_info info{};
    void* entry = nullptr;
    if (dladdr1(reinterpret_cast<const void*>(address), &info, &entry, RTLD_DL_SYMENT) == 0) return std::nullopt;
    const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
    const auto symbolAddress = reinterpret_cast<std::uint64_t>(info.dli_saddr);
    if (info.dli_sname != nullptr && symbol != nullptr && address - symbolAddress < symbol->st_size) {
        return AddressName{Demangle(info.dli_sname), address - symbolAddress};
    }
    // Only the library's exported symbols are known, and none holds the
    // address: name the library rather than a wrong neighbour.
    if (info.dli_fname == nullptr) return std::nullopt;
    const std::string file = info.dli_fname;
    return AddressName{file.substr(file.find_last_of('/') + 1),
                       address - reinterpret_cast<std::uint64_t>(info.dli_fbase)};
}

std::optional<AddressName> Symbolizer::DataAt(std::uint64_t address) const {
    if (const Symbol* symbol = image_.ObjectAt(address)) {
        return AddressName{Demangle(symbol->name), address - symbol->address};
    }
    if (std::optional<std::string> import = ImportAt(address)) return AddressName{"GOT: " + *import, 0};
    return std::nullopt;
}

}  // namespace disasm
