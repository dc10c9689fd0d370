// Small helpers shared by the tests.
#pragma once

#include "framework/AfxString.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

/// Lets GoogleTest print wide strings readably in failure messages.
inline void PrintTo(const CString& s, std::ostream* os) {
    *os << '"' << CStringA(s).GetString() << '"';
}

inline std::string Utf8(const CString& s) {
    return std::string(CStringA(s).GetString());
}

/// A fresh folder under /tmp for one test, removed with all it holds when the test ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix) {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
