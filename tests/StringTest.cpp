// CString and CStringA: shared text and copy on write, formatting, and the
// UTF-8 conversions between them. LoadString is tested with the real
// resources elsewhere; _wtoi and atoll with the count field's texts.
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

TEST(CStringTest, ACopySharesTheTextUntilEitherChanges) {
    const CString empty;
    EXPECT_EQ(CStringA().GetString()[0], '\0');
    EXPECT_EQ(CString(L"").GetString(), empty.GetString()) << "every empty string shares one buffer";
    EXPECT_EQ(CString(static_cast<const wchar_t*>(nullptr)).GetString(), empty.GetString());
    EXPECT_EQ(std::make_unique<CString[]>(100000)[99999].GetString(), empty.GetString());

    const struct {
        const char* change;
        std::function<void(CString&)> apply;
        const wchar_t* expected;
    } cases[] = {
        {"append", [](CString& s) { s += L"d"; }, L"abcd"},
        {"assign a literal", [](CString& s) { s = L"xyz"; }, L"xyz"},
        {"assign narrow text", [](CString& s) { s = CStringA("é"); }, L"é"},
        {"format", [](CString& s) { s.Format(L"%d", 42); }, L"42"},
        {"empty", [](CString& s) { s.Empty(); }, L""},
        {"move another in", [](CString& s) { s = CString(L"moved"); }, L"moved"},
    };
    for (const auto& c : cases) {
        for (const bool changeTheCopy : {true, false}) {
            CString original(L"abc");
            CString copy = original;
            EXPECT_EQ(copy.GetString(), original.GetString()) << "a copy shares the text";
            c.apply(changeTheCopy ? copy : original);
            EXPECT_EQ(changeTheCopy ? original : copy, CString(L"abc")) << c.change;
            EXPECT_EQ(changeTheCopy ? copy : original, CString(c.expected)) << c.change;
        }
    }
}

TEST(CStringTest, StepsOnOneStringThatReadItsOwnText) {
    const struct {
        const char* step;
        std::function<void(CString&)> apply;
        const wchar_t* expected;
    } steps[] = {
        {"assigned to itself", [](CString& s) { s = static_cast<const CString&>(s); }, L"hello world"},
        {"a tail of its own text", [](CString& s) { s = s.GetString() + 1; }, L"ello world"},
        {"a shorter tail", [](CString& s) { s = s.GetString() + 5; }, L"world"},
        {"appended to itself", [](CString& s) { s += s; }, L"worldworld"},
        {"its own tail appended", [](CString& s) { s += s.GetString() + 5; }, L"worldworldworld"},
        {"text in front", [](CString& s) { s = L"<" + s; }, L"<worldworldworld"},
        {"an empty string after", [](CString& s) { s = s + CString(); }, L"<worldworldworld"},
        {"an empty string in front", [](CString& s) { s = CString() + s; }, L"<worldworldworld"},
        {"a string after", [](CString& s) { s = s + CString(L">"); }, L"<worldworldworld>"},
        {"moved out and back", [](CString& s) { CString t(std::move(s)); s = std::move(t); }, L"<worldworldworld>"},
        {"a literal after", [](CString& s) { s = s + L"ms"; }, L"<worldworldworld>ms"},
    };
    CString s(L"hello world");
    for (const auto& step : steps) {
        step.apply(s);
        EXPECT_EQ(s, CString(step.expected)) << step.step;
        EXPECT_EQ(s.GetLength(), static_cast<int>(std::wcslen(step.expected))) << step.step;
    }
}

TEST(CStringTest, MovingIndexingAndComparison) {
    CString a(L"abc");
    const wchar_t* text = a.GetString();
    const CString s(std::move(a));
    EXPECT_EQ(s.GetString(), text);
    EXPECT_TRUE(a.IsEmpty()) << "a moved-from string is empty and usable";
    a += L"x";
    EXPECT_EQ(a, CString(L"x"));
    EXPECT_EQ(s[0], L'a');
    EXPECT_EQ(s.GetAt(2), L'c');
    EXPECT_THROW(s.GetAt(3), std::out_of_range);
    EXPECT_THROW(s[-1], std::out_of_range);
    EXPECT_TRUE(L"abc" == s);
    EXPECT_TRUE(s != L"ab");
    EXPECT_TRUE(s != L"abcd");
    EXPECT_TRUE(s != CString(L"abd"));
    EXPECT_TRUE(CString() == static_cast<const wchar_t*>(nullptr));
}

std::string Wide(const std::function<void(CString&)>& format) {
    CString s(L"old text");
    format(s);
    return Utf8(s);
}

std::string Narrow(const std::function<void(CStringA&)>& format) {
    CStringA s;
    format(s);
    return s.GetString();
}

TEST(CStringTest, FormatGivesWhatPrintfGives) {
    const std::wstring longWide(10000, L'w');
    const std::string longNarrow(10000, 'n');
    // The narrow results either side of the 256 characters formatted on the stack first.
    const std::string a255(255, 'a'), a256(256, 'a'), a257(257, 'a');
    const struct {
        std::string formatted;
        std::string expected;
    } cases[] = {
        {Wide([](CString& s) { s.Format(L"%.6f", 123.456); }), "123.456000"},
        {Wide([](CString& s) { s.Format(L"%d", INT_MIN); }), "-2147483648"},
        {Wide([](CString& s) { s.Format(L"%llu", ULLONG_MAX); }), "18446744073709551615"},
        {Wide([](CString& s) { s.Format(L"%ls-%d", L"値", 5); }), "値-5"},
        {Wide([](CString& s) { s.Format(L""); }), ""},
        {Wide([&](CString& s) { s.Format(L"<%ls>", longWide.c_str()); }), "<" + std::string(10000, 'w') + ">"},
        {Narrow([](CStringA& s) { s.Format("%.6f", 123.456); }), "123.456000"},
        {Narrow([](CStringA& s) { s.Format("%d", INT_MIN); }), "-2147483648"},
        {Narrow([](CStringA& s) { s.Format("%llu", ULLONG_MAX); }), "18446744073709551615"},
        {Narrow([&](CStringA& s) { s.Format("%s", a255.c_str()); }), a255},
        {Narrow([&](CStringA& s) { s.Format("%s", a256.c_str()); }), a256},
        {Narrow([&](CStringA& s) { s.Format("%s", a257.c_str()); }), a257},
        {Narrow([&](CStringA& s) { s.Format("<%s>", longNarrow.c_str()); }), "<" + longNarrow + ">"},
        {Narrow([&](CStringA& s) {
             s.Format("<%s>", longNarrow.c_str());
             s.Format("%s", longNarrow.c_str());  // fits the buffer it has
         }),
         longNarrow},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.formatted.size(), c.expected.size());
        EXPECT_EQ(c.formatted, c.expected) << c.expected.substr(0, 40);
    }
}

TEST(CStringTest, FormatWritesInPlaceOnlyIntoAnUnsharedBuffer) {
    CString text;
    text.Format(L"%d", 123456);
    const wchar_t* buffer = text.GetString();
    for (int i = 0; i < 1000; ++i) text.Format(L"%d", i);
    EXPECT_EQ(text.GetString(), buffer) << "no allocation for a result that fits";

    const CString copy = text;
    text.Format(L"%d", 42);
    EXPECT_EQ(copy, CString(L"999"));
    EXPECT_EQ(text, CString(L"42"));

    // A result too long for memory throws the layer's exception and keeps the old text.
    EXPECT_THROW(text.Format(L"%2000000d", 1), CMemoryException);
    EXPECT_EQ(text, CString(L"42"));
    EXPECT_STREQ(CMemoryException().what(), "CMemoryException: out of memory");
}

TEST(CStringConversionTest, Utf8DecodesExactlyAndReplacesWhatIsInvalid) {
    const struct {
        const char* utf8;
        const wchar_t* wide;
    } cases[] = {
        {"\xE5\x80\xA4", L"値"},
        {"\xF0\x9F\x98\x80\xC3\xA9", L"\U0001F600é"},
        {"a\xFF" "b", L"a\uFFFDb"},
        {"a\xC3", L"a\uFFFD"},                               // cut short at the end
        {"\xE6\x97x", L"\uFFFDx"},                           // cut short, then ASCII
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                       // overlong '/'
        {"\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},             // overlong, three bytes
        {"\xF0\x80\x80\xAF", L"\uFFFD\uFFFD\uFFFD\uFFFD"},   // overlong, four bytes
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},             // a surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},   // beyond U+10FFFF
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(CString(c.utf8).GetString()), c.wide) << c.utf8;

    const wchar_t* message = L"最大値を超えました。\r\n100000に書き換えました。";
    const CStringA narrow(message);
    EXPECT_EQ(narrow.GetLength(), 3 * 19 + 2 + 6) << "each kana and kanji is three bytes";
    EXPECT_EQ(CString(narrow), CString(message));
    const wchar_t unencodable[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b', 0};
    EXPECT_STREQ(CStringA(unencodable).GetString(), "a??b");
}

TEST(CStringConversionTest, ConvertingAssignmentsReplaceTheText) {
    // As the char[] kernels do: format, narrow, assign back.
    CString text;
    CString element(L"old");
    for (int i = 99990; i < 100000; ++i) {
        text.Format(L"%d", i);
        element = CStringA(text);
    }
    EXPECT_EQ(element, CString(L"99999"));
    CStringA n;
    n = L"日本";
    EXPECT_STREQ(n.GetString(), "\xE6\x97\xA5\xE6\x9C\xAC");
    n = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(n.IsEmpty());
}

}  // namespace
