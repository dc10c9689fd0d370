// The program's own ELF file, read for what the running code does not carry:
// the bounds and names of its functions and globals (.symtab, or .dynsym in a
// stripped file), and which imported symbol each GOT slot holds (.rela.plt,
// .rela.dyn), so that a call through the PLT can be named.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace disasm {

/// A defined function or object of the program.
struct Symbol {
    /// Address of its first byte in this process.
    std::uint64_t address = 0;
    /// Its size in bytes (never 0: symbols without a size are left out).
    std::uint64_t sizeBytes = 0;
    /// The name as the file holds it (mangled).
    std::string name;
};

/// An address range [begin, end) in this process.
struct AddressRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

/// Symbols, imports and PLT sections of one ELF64 x86-64 file, at the
/// addresses the file has in this process.
class ProgramImage {
public:
    /// The running program (/proc/self/exe at the main program's load bias),
    /// read on first use.
    static const ProgramImage& Self();

    /// Reads the file at path as if loaded at loadBias (0 for a program that
    /// is not position-independent). A file that cannot be read, or is no
    /// ELF64 x86-64 file, gives an image whose Error() says why.
    static ProgramImage Load(const std::string& path, std::uint64_t loadBias);

    /// Why the file could not be read; empty when it was.
    const std::string& Error() const { return error_; }
    /// False for a stripped file: it has no .symtab, and only the exported
    /// symbols of .dynsym are known.
    bool HasSymbolTable() const { return hasSymbolTable_; }
    /// The function whose code holds address, or nullptr.
    const Symbol* FunctionAt(std::uint64_t address) const;
    /// The global object whose bytes hold address, or nullptr.
    const Symbol* ObjectAt(std::uint64_t address) const;
    /// The (mangled) name of the imported symbol whose GOT slot lies at
    /// slotAddress, or nullptr.
    const std::string* ImportAt(std::uint64_t slotAddress) const;
    /// The PLT section (.plt, .plt.sec or .plt.got) holding address, if any.
    std::optional<AddressRange> PltAt(std::uint64_t address) const;

private:
    struct SymbolTable {
        std::vector<Symbol> byAddress;
        std::uint64_t largestSizeBytes = 0;
        const Symbol* At(std::uint64_t address) const;
        void Fill(std::vector<Symbol> globals, std::vector<Symbol> locals);
    };

    std::string error_;
    bool hasSymbolTable_ = false;
    SymbolTable functions_;
    SymbolTable objects_;
    std::unordered_map<std::uint64_t, std::string> importsBySlot_;
    std::vector<AddressRange> pltSections_;

    friend class ElfReader;
};

}  // namespace disasm
