// The batch mode's command line.
#pragma once

#include "bench/Variants.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace batch {

enum class Format { Table, Csv, Json };

struct Options {
    std::vector<int> buttons;               ///< in the order they run
    std::optional<std::wstring> countText;  ///< pasted into the count field; none keeps "100000"
    int repetitions = 11;                   ///< clicks per button
    Format format = Format::Table;
    std::string output;                     ///< report file; empty for standard output
    std::string plot;                       ///< PNG file; empty for none
    /// Build variants of the kernels each button runs in, side by side; the
    /// default variant alone unless --variant chooses.
    std::vector<const bench::Variant*> variants{&bench::DefaultVariant()};
};

inline constexpr int kMaxRepetitions = 10000;

/// Parses the arguments after "--batch". On error: the message to print.
std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args);

}  // namespace batch
