// Checks that a text is one JSON value, as a JSON parser would read it.
#pragma once

#include <string>

namespace testjson {

/// Empty when text is exactly one well-formed JSON value (with white space
/// around it); otherwise where and why it is not.
std::string JsonError(const std::string& text);

}  // namespace testjson
