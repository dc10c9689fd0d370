#include "JsonCheck.h"

#include <cctype>
#include <cstring>

namespace testjson {

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    std::string Check() {
        if (!Value()) return error_;
        Space();
        return at_ == text_.size() ? std::string() : Error("text after the value");
    }

private:
    bool Value() {
        Space();
        if (at_ >= text_.size()) return Fail("value expected");
        const char c = text_[at_];
        if (c == '{') return Composite('}', true);
        if (c == '[') return Composite(']', false);
        if (c == '"') return String();
        for (const char* word : {"true", "false", "null"}) {
            if (text_.compare(at_, std::strlen(word), word) == 0) {
                at_ += std::strlen(word);
                return true;
            }
        }
        return Number();
    }

    bool Composite(char close, bool object) {
        ++at_;
        Space();
        if (Take(close)) return true;
        do {
            if (object) {
                Space();
                if (!String()) return false;
                Space();
                if (!Take(':')) return Fail("':' expected");
            }
            if (!Value()) return false;
            Space();
        } while (Take(','));
        return Take(close) || Fail(object ? "',' or '}' expected" : "',' or ']' expected");
    }

    bool String() {
        if (!Take('"')) return Fail("string expected");
        while (at_ < text_.size() && text_[at_] != '"') {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c < 0x20) return Fail("control character in a string");
            if (c != '\\') continue;
            if (at_ >= text_.size()) break;
            const char escape = text_[at_++];
            if (escape == 'u') {
                for (int i = 0; i < 4; ++i, ++at_) {
                    if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_]))) {
                        return Fail("bad \\u escape");
                    }
                }
            } else if (escape == '\0' || std::strchr("\"\\/bfnrt", escape) == nullptr) {
                return Fail("bad escape");
            }
        }
        return Take('"') || Fail("unterminated string");
    }

    bool Number() {
        const std::size_t start = at_;
        Take('-');
        if (!Digits()) return Fail("value expected");
        if (Take('.') && !Digits()) return Fail("digits expected after '.'");
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return Fail("exponent expected");
        }
        return at_ > start;
    }

    bool Digits() {
        const std::size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
        return at_ > start;
    }

    void Space() {
        while (at_ < text_.size() && text_[at_] != '\0' && std::strchr(" \t\r\n", text_[at_]) != nullptr) ++at_;
    }

    bool Take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::string Error(const std::string& why) const { return why + " at offset " + std::to_string(at_); }

    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = Error(why);
        return false;
    }

    const std::string& text_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

std::string JsonError(const std::string& text) { return Parser(text).Check(); }

}  // namespace testjson
