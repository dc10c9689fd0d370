// Names for addresses of this process, as a reader knows them: demangled
// functions of the program, the imported symbol behind a PLT stub or a GOT
// slot, exported symbols of shared libraries, or at least the library.
#pragma once

#include "Decoder.h"
#include "ProgramImage.h"

#include <cstdint>
#include <optional>
#include <string>

namespace disasm {

/// What an address lies in.
struct AddressName {
    /// A demangled symbol ("operator new[](unsigned long)", "vswprintf"), or
    /// the file name of a shared library whose symbols do not cover the address.
    std::string name;
    /// Bytes from the start of what name names.
    std::uint64_t offsetBytes = 0;

    /// name, or name+0x1c inside it.
    std::string ToString() const;
};

/// The readable form of a mangled C++ name; other names come back unchanged.
std::string Demangle(const std::string& mangled);

/// Names addresses with the program's own symbols first, then the dynamic loader's.
class Symbolizer {
public:
    explicit Symbolizer(const ProgramImage& image);

    /// The function, PLT import or shared library holding address.
    std::optional<AddressName> FunctionAt(std::uint64_t address) const;
    /// The program's global object holding address, or the import a GOT slot at address holds.
    std::optional<AddressName> DataAt(std::uint64_t address) const;
    /// The imported function a GOT slot at slotAddress calls.
    std::optional<std::string> ImportAt(std::uint64_t slotAddress) const;

private:
    std::optional<AddressName> PltImportAt(std::uint64_t address) const;

    const ProgramImage& image_;
    Decoder decoder_;
};

}  // namespace disasm
