// Reading the program's own ELF file: symbols of the running program, and
// files that are stripped, damaged or no ELF at all.
#include "AsmFunctions.h"
#include "bench/Kernels.h"
#include "disasm/Listing.h"
#include "disasm/ProgramImage.h"
#include "disasm/TimedMarkers.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::uint64_t SelfLoadBias() {
    std::uint64_t bias = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            *static_cast<std::uint64_t*>(data) = info->dlpi_addr;
            return 1;
        },
        &bias);
    return bias;
}

class ProgramImageFiles : public testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("velquor-disasm-" + std::to_string(getpid()));
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path Write(const std::string& name, const std::string& bytes) const {
        const fs::path path = directory_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string SelfBytes() {
        std::ifstream in("/proc/self/exe", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path directory_;
};

TEST(ProgramImage, KnowsTheRunningProgramsFunctionsAndImports) {
    const disasm::ProgramImage& image = disasm::ProgramImage::Self();
    ASSERT_EQ(image.Error(), "");
    EXPECT_TRUE(image.HasSymbolTable());
    const auto fill = reinterpret_cast<std::uint64_t>(&velquor_asm_fill);
    const disasm::Symbol* symbol = image.FunctionAt(fill + 6);
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->name, "velquor_asm_fill");
    EXPECT_EQ(symbol->address, fill);
    EXPECT_EQ(image.FunctionAt(fill + symbol->sizeBytes - 1), symbol);
    EXPECT_NE(image.FunctionAt(fill + symbol->sizeBytes), symbol);
}

TEST(ProgramImage, FindsBothMarkersOfAKernel) {
    const auto* kernel = reinterpret_cast<const void*>(&bench::FillVectorAt);
    const disasm::Symbol* symbol = disasm::ProgramImage::Self().FunctionAt(reinterpret_cast<std::uint64_t>(kernel));
    ASSERT_NE(symbol, nullptr);
    const disasm::TimedLabels labels =
        disasm::LabelsWithin(disasm::ProgramMarkers(), symbol->address, symbol->address + symbol->sizeBytes);
    EXPECT_EQ(labels.begins.size(), 1u);
    EXPECT_EQ(labels.ends.size(), 1u);
}

TEST_F(ProgramImageFiles, AStrippedProgramSaysSoAndListsNothing) {
    const fs::path copy = Write("program", SelfBytes());
    const fs::path stripped = directory_ / "stripped";
    const std::string command = "objcopy --strip-all '" + copy.string() + "' '" + stripped.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "objcopy is not available";
    const disasm::ProgramImage image = disasm::ProgramImage::Load(stripped, SelfLoadBias());
    ASSERT_EQ(image.Error(), "");
    EXPECT_FALSE(image.HasSymbolTable());
    const disasm::Listing listing =
        disasm::ListTimedSection(image, disasm::ProgramMarkers(),
                                 reinterpret_cast<const void*>(&bench::FillNewIntArray), disasm::Syntax::Intel);
    EXPECT_NE(listing.error.find("stripped"), std::string::npos) << listing.error;
    EXPECT_TRUE(listing.instructions.empty());
}

TEST_F(ProgramImageFiles, DamagedOrForeignFilesGiveAnErrorAndNoSymbols) {
    const std::string self = SelfBytes();
    std::string badSectionTable = self;
    // e_shoff, the section table's offset, pointing past the end of the file.
    const std::uint64_t past = self.size() + 4096;
    badSectionTable.replace(0x28, 8, reinterpret_cast<const char*>(&past), 8);
    for (const auto& [name, bytes] :
         {std::pair{"empty", std::string()}, std::pair{"text", std::string("#!/bin/sh\n")},
          std::pair{"header-only", self.substr(0, 64)}, std::pair{"no-section-table", badSectionTable}}) {
        const disasm::ProgramImage image = disasm::ProgramImage::Load(Write(name, bytes), 0);
        EXPECT_NE(image.Error(), "") << name;
        EXPECT_EQ(image.FunctionAt(reinterpret_cast<std::uint64_t>(&velquor_asm_fill)), nullptr) << name;
    }
    const disasm::ProgramImage missing = disasm::ProgramImage::Load(directory_ / "missing", 0);
    EXPECT_NE(missing.Error().find("cannot open"), std::string::npos) << missing.Error();
    const disasm::Listing listing = disasm::ListTimedSection(
        missing, disasm::ProgramMarkers(), reinterpret_cast<const void*>(&velquor_asm_fill), disasm::Syntax::Intel);
    EXPECT_NE(listing.error.find("cannot read the program file"), std::string::npos) << listing.error;
}

TEST_F(ProgramImageFiles, TablesThatReachPastTheFileAreRefusedNotRead) {
    // The symbol table and its string table claim to reach beyond the end of
    // the file: the reader must refuse them instead of reading on.
    const std::string self = SelfBytes();
    Elf64_Ehdr header;
    std::memcpy(&header, self.data(), sizeof header);
    for (std::uint32_t type : {SHT_SYMTAB, SHT_STRTAB}) {
        std::string damaged = self;
        bool found = false;
        for (std::size_t i = 0; i < header.e_shnum && !found; ++i) {
            Elf64_Shdr section;
            const std::size_t at = header.e_shoff + i * sizeof section;
            std::memcpy(&section, damaged.data() + at, sizeof section);
            if (section.sh_type != type) continue;
            section.sh_size = self.size() * 2;
            std::memcpy(damaged.data() + at, &section, sizeof section);
            found = true;
        }
        ASSERT_TRUE(found);
        const disasm::ProgramImage image = disasm::ProgramImage::Load(Write("damaged", damaged), SelfLoadBias());
        if (type == SHT_SYMTAB) {
            EXPECT_NE(image.Error(), "");
        }
        // A string table that is too long still ends inside the file for every
        // name read; names whose end lies beyond are never taken.
        for (const auto* function : {reinterpret_cast<const void*>(&velquor_asm_fill),
                                     reinterpret_cast<const void*>(&bench::FillVectorAt)}) {
            const disasm::Symbol* symbol = image.FunctionAt(reinterpret_cast<std::uint64_t>(function));
            if (symbol != nullptr) {
                EXPECT_FALSE(symbol->name.empty());
            }
        }
    }
}

}  // namespace
