// Texts as the batch mode prints them: UTF-8 and a user's text made safe to
// print on a terminal (dialog/DisplayWidth.h has the columns a text takes there).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace batch {

/// Wide text as UTF-8.
std::string Utf8(const std::wstring& text);

/// UTF-8 text with every control character escaped (\n, \t, \x1b, \u0085)
/// and every byte that is not part of a UTF-8 character as \xNN, so that no
/// text a user typed can move the cursor or change a terminal's state.
std::string Printable(std::string_view text);

/// Characters a quoted value keeps before it is cut.
inline constexpr std::size_t kQuotedCharacters = 40;

/// A user's value for a message: printable, in single quotes, and cut after
/// kQuotedCharacters characters with its full length noted, so that a bad
/// value of any size gives a message of one short line.
std::string Quoted(std::string_view text);
std::string Quoted(const std::wstring& text);

/// A double as decimal text that reads back as the same double ("%.17g"),
/// as the JSON and CSV reports write their figures.
std::string ExactDecimal(double v);

}  // namespace batch
