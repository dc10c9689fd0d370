#include "Options.h"

#include "bench/Buttons.h"
#include "framework/AfxString.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace batch {
namespace {

std::string ValidIds() {
    std::ostringstream out;
    for (const bench::ButtonSpec& b : bench::kButtons) out << (out.tellp() > 0 ? ", " : "") << b.buttonId;
    return out.str();
}

std::optional<int> ParseInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::variant<std::vector<int>, std::string> ParseButtons(const std::string& list) {
    std::vector<int> ids;
    if (list == "all") {
        for (const bench::ButtonSpec& b : bench::kButtons) ids.push_back(b.buttonId);
        return ids;
    }
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const std::optional<int> id = ParseInt(item);
        if (!id || !bench::FindButton(*id)) {
            return "unknown button id '" + item + "'; valid ids: " + ValidIds() + ", or all";
        }
        ids.push_back(*id);
    }
    if (ids.empty()) return "--buttons needs at least one id; valid ids: " + ValidIds() + ", or all";
    return ids;
}

std::string VariantNames() {
    std::string names;
    for (const bench::Variant& v : bench::Variants()) names += std::string(names.empty() ? "" : ", ") + std::string(v.name);
    return names;
}

/// The variants of a list such as "O0,O3" or "all". A variant this CPU
/// cannot run is refused when named, and left out of "all".
std::variant<std::vector<const bench::Variant*>, std::string> ParseVariants(const std::string& list) {
    std::vector<const bench::Variant*> variants;
    if (list == "all") {
        for (const bench::Variant& v : bench::Variants()) {
            if (bench::IsAvailable(v)) variants.push_back(&v);
        }
        return variants;
    }
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const bench::Variant* v = bench::FindVariant(item);
        if (v == nullptr) return "unknown variant '" + item + "'; valid variants: " + VariantNames() + ", or all";
        if (!bench::IsAvailable(*v)) {
            return "variant " + item + " needs a CPU with " + std::string(v->cpuRequirement) + ", which this one is not";
        }
        if (std::find(variants.begin(), variants.end(), v) == variants.end()) variants.push_back(v);
    }
    if (variants.empty()) return "--variant needs at least one name; valid variants: " + VariantNames() + ", or all";
    return variants;
}

}  // namespace

std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args) {
    Options options;
    for (const bench::ButtonSpec& b : bench::kButtons) {
        if (!b.hidden) options.buttons.push_back(b.buttonId);
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        const bool known = arg == "--buttons" || arg == "--count" || arg == "--repetitions" || arg == "--format" ||
                           arg == "--output" || arg == "--plot" || arg == "--variant";
        if (!known) return "unknown option '" + arg + "' (try --help)";
        const std::optional<std::string> v = value();
        if (!v) return arg + " needs a value";
        if (arg == "--buttons") {
            auto parsed = ParseButtons(*v);
            if (auto* error = std::get_if<std::string>(&parsed)) return *error;
            options.buttons = std::get<std::vector<int>>(parsed);
        } else if (arg == "--variant") {
            auto parsed = ParseVariants(*v);
            if (auto* error = std::get_if<std::string>(&parsed)) return *error;
            options.variants = std::get<std::vector<const bench::Variant*>>(parsed);
        } else if (arg == "--count") {
            options.countText = std::wstring(CString(v->c_str()).GetString());
        } else if (arg == "--repetitions") {
            const std::optional<int> n = ParseInt(*v);
            if (!n || *n < 1 || *n > kMaxRepetitions) {
                return "--repetitions must be a whole number from 1 to " + std::to_string(kMaxRepetitions) + ", not '" +
                       *v + "'";
            }
            options.repetitions = *n;
        } else if (arg == "--format") {
            if (*v == "table") options.format = Format::Table;
            else if (*v == "csv") options.format = Format::Csv;
            else if (*v == "json") options.format = Format::Json;
            else return "unknown format '" + *v + "'; use table, csv or json";
        } else if (arg == "--output" || arg == "--plot") {
            if (v->empty()) return arg + " needs a file name";
            (arg == "--output" ? options.output : options.plot) = *v;
        }
    }
    return options;
}

}  // namespace batch
