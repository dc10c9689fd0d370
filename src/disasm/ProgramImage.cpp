#include "ProgramImage.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace disasm {

namespace {

/// The file mapped read-only for as long as it is read.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error_ = "cannot open " + path + ": " + std::strerror(errno);
            return;
        }
        struct stat status {};
        if (fstat(fd, &status) != 0 || status.st_size <= 0) {
            error_ = path + " is empty or cannot be examined";
        } else {
            size_ = static_cast<std::size_t>(status.st_size);
            void* data = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (data == MAP_FAILED) {
                error_ = "cannot map " + path + ": " + std::strerror(errno);
                size_ = 0;
            } else {
                data_ = static_cast<const unsigned char*>(data);
            }
        }
        close(fd);
    }
    ~MappedFile() {
        if (data_ != nullptr) munmap(const_cast<unsigned char*>(data_), size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const std::string& Error() const { return error_; }

    /// Copies a T from offset; false when it does not lie wholly in the file.
    /// Copied rather than cast: a damaged file may leave it unaligned.
    template <typename T>
    bool Read(std::uint64_t offset, T& value) const {
        if (offset > size_ || sizeof(T) > size_ - offset) return false;
        std::memcpy(&value, data_ + offset, sizeof(T));
        return true;
    }

    /// The NUL-terminated string at offset within [tableOffset, tableOffset + tableSize).
    std::optional<std::string_view> String(std::uint64_t tableOffset, std::uint64_t tableSize,
                                           std::uint64_t offset) const {
        if (tableOffset > size_ || tableSize > size_ - tableOffset || offset >= tableSize) return std::nullopt;
        const char* begin = reinterpret_cast<const char*>(data_ + tableOffset + offset);
        const void* nul = std::memchr(begin, 0, tableSize - offset);
        if (nul == nullptr) return std::nullopt;
        return std::string_view(begin, static_cast<std::size_t>(static_cast<const char*>(nul) - begin));
    }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::string error_;
};

}  // namespace

/// Fills a ProgramImage from the mapped file; every offset the file gives is
/// checked against the file's size before it is read.
class ElfReader {
public:
    ElfReader(const MappedFile& file, std::uint64_t loadBias, ProgramImage& image)
        : file_(file), bias_(loadBias), image_(image) {}

    bool Read() {
        Elf64_Ehdr header{};
        if (!file_.Read(0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
            header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
            header.e_machine != EM_X86_64) {
            return Fail("not an ELF64 x86-64 file");
        }
        if (header.e_shoff == 0 || header.e_shentsize != sizeof(Elf64_Shdr)) return Fail("no section headers");
        if (!ReadSectionHeaders(header)) return Fail("damaged section headers");

        const Elf64_Shdr* symtab = FindSection(SHT_SYMTAB);
        const Elf64_Shdr* dynsym = FindSection(SHT_DYNSYM);
        image_.hasSymbolTable_ = symtab != nullptr;
        if (const Elf64_Shdr* table = symtab != nullptr ? symtab : dynsym) {
            if (!ReadSymbols(*table)) return Fail("damaged symbol table");
        }
        if (dynsym != nullptr && !ReadImports(*dynsym)) return Fail("damaged relocation table");
        ReadPltSections();
        return true;
    }

private:
    bool Fail(const std::string& why) {
        image_.error_ = why;
        return false;
    }

    bool ReadSectionHeaders(const Elf64_Ehdr& header) {
        Elf64_Shdr first{};
        if (!file_.Read(header.e_shoff, first)) return false;
        // More than SHN_LORESERVE sections keep their count in section 0.
        const std::uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
        if (count > 65536 * 16) return false;
        sections_.resize(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            if (!file_.Read(header.e_shoff + i * sizeof(Elf64_Shdr), sections_[i])) return false;
        }
        const std::uint64_t namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
        if (namesIndex < sections_.size()) names_ = &sections_[namesIndex];
        return true;
    }

    const Elf64_Shdr* FindSection(std::uint32_t type) const {
        for (const Elf64_Shdr& section : sections_) {
            if (section.sh_type == type) return &section;
        }
        return nullptr;
    }

    const Elf64_Shdr* Linked(const Elf64_Shdr& section) const {
        return section.sh_link < sections_.size() ? &sections_[section.sh_link] : nullptr;
    }

    template <typename Entry, typename Visit>
    bool ForEachEntry(const Elf64_Shdr& section, Visit visit) const {
        if (section.sh_entsize != sizeof(Entry)) return false;
        for (std::uint64_t offset = 0; offset + sizeof(Entry) <= section.sh_size; offset += sizeof(Entry)) {
            Entry entry{};
            if (!file_.Read(section.sh_offset + offset, entry)) return false;
            visit(entry);
        }
        return true;
    }

    bool ReadSymbols(const Elf64_Shdr& table) {
        const Elf64_Shdr* strings = Linked(table);
        if (strings == nullptr) return false;
        // Where a global and a local symbol name the same bytes, the global
        // name is the one to show: globals go first, and the sort is stable.
        std::vector<Symbol> functions[2];
        std::vector<Symbol> objects[2];
        const bool ok = ForEachEntry<Elf64_Sym>(table, [&](const Elf64_Sym& symbol) {
            const unsigned type = ELF64_ST_TYPE(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_shndx == SHN_ABS || symbol.st_size == 0) return;
            const bool function = type == STT_FUNC || type == STT_GNU_IFUNC;
            if (!function && type != STT_OBJECT) return;
            const auto name = file_.String(strings->sh_offset, strings->sh_size, symbol.st_name);
            if (!name || name->empty()) return;
            const std::size_t local = ELF64_ST_BIND(symbol.st_info) == STB_LOCAL ? 1 : 0;
            (function ? functions : objects)[local].push_back(
                {bias_ + symbol.st_value, symbol.st_size, std::string(*name)});
        });
        image_.functions_.Fill(std::move(functions[0]), std::move(functions[1]));
        image_.objects_.Fill(std::move(objects[0]), std::move(objects[1]));
        return ok;
    }

    bool ReadImports(const Elf64_Shdr& dynsym) {
        const Elf64_Shdr* strings = Linked(dynsym);
        if (strings == nullptr) return false;
        const auto dynsymIndex = static_cast<std::uint32_t>(&dynsym - sections_.data());
        for (const Elf64_Shdr& section : sections_) {
            if (section.sh_type != SHT_RELA || section.sh_link != dynsymIndex) continue;
            const bool ok = ForEachEntry<Elf64_Rela>(section, [&](const Elf64_Rela& relocation) {
                const auto type = ELF64_R_TYPE(relocation.r_info);
                if (type != R_X86_64_JUMP_SLOT && type != R_X86_64_GLOB_DAT) return;
                Elf64_Sym symbol{};
                const std::uint64_t index = ELF64_R_SYM(relocation.r_info);
                if (index == 0 || index >= dynsym.sh_size / sizeof(Elf64_Sym) ||
                    !file_.Read(dynsym.sh_offset + index * sizeof(Elf64_Sym), symbol)) {
                    return;
                }
                if (const auto name = file_.String(strings->sh_offset, strings->sh_size, symbol.st_name)) {
                    image_.importsBySlot_[bias_ + relocation.r_offset] = std::string(*name);
                }
            });
            if (!ok) return false;
        }
        return true;
    }

    void ReadPltSections() {
        if (names_ == nullptr) return;
        for (const Elf64_Shdr& section : sections_) {
            const auto name = file_.String(names_->sh_offset, names_->sh_size, section.sh_name);
            if (name && (*name == ".plt" || *name == ".plt.sec" || *name == ".plt.got")) {
                image_.pltSections_.push_back({bias_ + section.sh_addr, bias_ + section.sh_addr + section.sh_size});
            }
        }
    }

    const MappedFile& file_;
    std::uint64_t bias_;
    ProgramImage& image_;
    std::vector<Elf64_Shdr> sections_;
    const Elf64_Shdr* names_ = nullptr;
};

void ProgramImage::SymbolTable::Fill(std::vector<Symbol> globals, std::vector<Symbol> locals) {
    byAddress = std::move(globals);
    byAddress.insert(byAddress.end(), std::make_move_iterator(locals.begin()), std::make_move_iterator(locals.end()));
    std::stable_sort(byAddress.begin(), byAddress.end(),
                     [](const Symbol& a, const Symbol& b) { return a.address < b.address; });
    largestSizeBytes = 0;
    for (const Symbol& symbol : byAddress) largestSizeBytes = std::max(largestSizeBytes, symbol.sizeBytes);
}

const Symbol* ProgramImage::SymbolTable::At(std::uint64_t address) const {
    auto it = std::upper_bound(byAddress.begin(), byAddress.end(), address,
                               [](std::uint64_t a, const Symbol& symbol) { return a < symbol.address; });
    // Symbols may nest (a function inside a larger alias): the nearest start
    // that holds the address wins, and of several names for it the first.
    // Nothing starts further back than the largest symbol could reach.
    const Symbol* found = nullptr;
    while (it != byAddress.begin()) {
        --it;
        if (found != nullptr ? it->address != found->address : address - it->address >= largestSizeBytes) break;
        if (address - it->address < it->sizeBytes) found = &*it;
    }
    return found;
}

ProgramImage ProgramImage::Load(const std::string& path, std::uint64_t loadBias) {
    ProgramImage image;
    const MappedFile file(path);
    if (!file.Error().empty()) {
        image.error_ = file.Error();
        return image;
    }
    ElfReader(file, loadBias, image).Read();
    if (!image.error_.empty()) image.error_ = path + ": " + image.error_;
    return image;
}

const ProgramImage& ProgramImage::Self() {
    static const ProgramImage self = [] {
        // The first object the dynamic loader lists is the program itself.
        std::uint64_t bias = 0;
        dl_iterate_phdr(
            [](dl_phdr_info* info, std::size_t, void* data) {
                *static_cast<std::uint64_t*>(data) = info->dlpi_addr;
                return 1;
            },
            &bias);
        return Load("/proc/self/exe", bias);
    }();
    return self;
}

const Symbol* ProgramImage::FunctionAt(std::uint64_t address) const { return functions_.At(address); }

const Symbol* ProgramImage::ObjectAt(std::uint64_t address) const { return objects_.At(address); }

const std::string* ProgramImage::ImportAt(std::uint64_t slotAddress) const {
    const auto it = importsBySlot_.find(slotAddress);
    return it == importsBySlot_.end() ? nullptr : &it->second;
}

std::optional<AddressRange> ProgramImage::PltAt(std::uint64_t address) const {
    for (const AddressRange& range : pltSections_) {
        if (address >= range.begin && address < range.end) return range;
    }
    return std::nullopt;
}

}  // namespace disasm
