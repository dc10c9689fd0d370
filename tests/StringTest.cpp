// CString/CStringA sharing, formatting and conversion, and the CRT number
// conversions. LoadString is tested with the real resources elsewhere.
#include "framework/AfxString.h"
#include "framework/Crt.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <utility>

TEST(CStringTest, EmptyStringsShareTheNilBufferAndAllocateNothing) {
    CString a;
    CString b;
    CStringA c;
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_STREQ(a.GetString(), L"");
    EXPECT_STREQ(c.GetString(), "");
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetLength(), 0);

    // Empty() returns to that same buffer; so do nullptr and "".
    CString s(L"text");
    EXPECT_NE(s.GetString(), a.GetString());
    s.Empty();
    EXPECT_EQ(s.GetString(), a.GetString());
    EXPECT_EQ(CString(static_cast<const wchar_t*>(nullptr)).GetString(), a.GetString());
    EXPECT_EQ(CString(L"").GetString(), a.GetString());

    auto many = std::make_unique<CString[]>(100000);
    EXPECT_EQ(many[99999].GetString(), a.GetString());
}

TEST(CStringTest, CopiesShareUntilEitherChanges) {
    CString a(L"abc");
    CString b = a;
    EXPECT_EQ(a.GetString(), b.GetString());  // shared, not copied

    b += L"d";
    EXPECT_STREQ(a.GetString(), L"abc");
    EXPECT_STREQ(b.GetString(), L"abcd");

    CString c = a;
    a = L"xyz";
    EXPECT_STREQ(c.GetString(), L"abc");
    EXPECT_STREQ(a.GetString(), L"xyz");

    CString d = c;
    c.Empty();
    EXPECT_STREQ(d.GetString(), L"abc");
}

TEST(CStringTest, SelfAssignmentAndAliasing) {
    CString s(L"hello world");
    CString& alias = s;
    s = alias;
    EXPECT_STREQ(s.GetString(), L"hello world");
    s = std::move(alias);
    EXPECT_STREQ(s.GetString(), L"hello world");

    s = s.GetString() + 1;  // a tail of its own text, overlapping the destination
    EXPECT_STREQ(s.GetString(), L"ello world");
    s = s.GetString() + 5;
    EXPECT_STREQ(s.GetString(), L"world");
    s += s;
    EXPECT_STREQ(s.GetString(), L"worldworld");
    s += s.GetString() + 5;
    EXPECT_STREQ(s.GetString(), L"worldworldworld");
    EXPECT_EQ(s.GetLength(), 15);
}

TEST(CStringTest, MoveLeavesSourceEmptyAndUsable) {
    CString a(L"moved");
    const wchar_t* text = a.GetString();
    CString b(std::move(a));
    EXPECT_EQ(b.GetString(), text);
    EXPECT_TRUE(a.IsEmpty());
    a = L"again";
    EXPECT_STREQ(a.GetString(), L"again");

    CString c;
    c = std::move(b);
    EXPECT_STREQ(c.GetString(), L"moved");
    EXPECT_TRUE(b.IsEmpty());
    b += L"x";
    EXPECT_STREQ(b.GetString(), L"x");
}

TEST(CStringTest, IndexingAndComparison) {
    const CString s(L"abc");
    EXPECT_EQ(s[0], L'a');
    EXPECT_EQ(s.GetAt(2), L'c');
    EXPECT_THROW(s.GetAt(3), std::out_of_range);
    EXPECT_THROW(s[-1], std::out_of_range);

    EXPECT_TRUE(s == L"abc");
    EXPECT_TRUE(L"abc" == s);
    EXPECT_TRUE(s != L"ab");
    EXPECT_TRUE(s != L"abcd");
    EXPECT_TRUE(s == CString(L"abc"));
    EXPECT_TRUE(s != CString(L"abd"));
    EXPECT_TRUE(CString() == static_cast<const wchar_t*>(nullptr));
}

TEST(CStringTest, ConcatenationKeepsOrder) {
    const CString a(L"ab");
    const CString b(L"cd");
    EXPECT_STREQ((a + L"x").GetString(), L"abx");
    EXPECT_STREQ((L"x" + a).GetString(), L"xab");
    EXPECT_STREQ((a + b).GetString(), L"abcd");
    EXPECT_STREQ((b + a).GetString(), L"cdab");
    EXPECT_STREQ((CString() + a).GetString(), L"ab");

    CString s;
    int reallocations = 0;
    for (int i = 0; i < 1000; ++i) {
        const wchar_t* before = s.GetString();
        s += (i % 2 == 0) ? L"0" : L"1";
        if (s.GetString() != before) ++reallocations;
    }
    EXPECT_LT(reallocations, 30);  // geometric growth, not one per append
    EXPECT_EQ(s.GetLength(), 1000);
    EXPECT_EQ(s[998], L'0');
    EXPECT_EQ(s[999], L'1');
    s += b;
    EXPECT_STREQ(s.GetString() + 998, L"01cd");
    EXPECT_STREQ(b.GetString(), L"cd");
}

TEST(CStringTest, FormatProducesPrintfResults) {
    CString w;
    w.Format(L"%.6f", 123.456);
    EXPECT_STREQ(w.GetString(), L"123.456000");
    w.Format(L"%d", INT_MIN);
    EXPECT_STREQ(w.GetString(), L"-2147483648");
    w.Format(L"%llu", ULLONG_MAX);
    EXPECT_STREQ(w.GetString(), L"18446744073709551615");
    w.Format(L"%ls-%d", L"x", 5);
    EXPECT_STREQ(w.GetString(), L"x-5");
    EXPECT_EQ(w.GetLength(), 3);

    CStringA n;
    n.Format("%.6f", 123.456);
    EXPECT_STREQ(n.GetString(), "123.456000");
    n.Format("%d", INT_MIN);
    EXPECT_STREQ(n.GetString(), "-2147483648");
    n.Format("%llu", ULLONG_MAX);
    EXPECT_STREQ(n.GetString(), "18446744073709551615");
}

TEST(CStringTest, FormatReusesOnlyAnUnsharedBuffer) {
    CString text;
    text.Format(L"%d", 123456);
    const wchar_t* buffer = text.GetString();
    for (int i = 0; i < 1000; ++i) text.Format(L"%d", i);
    EXPECT_EQ(text.GetString(), buffer);  // no reallocation
    EXPECT_STREQ(text.GetString(), L"999");

    CString copy = text;
    text.Format(L"%d", 42);
    EXPECT_STREQ(copy.GetString(), L"999");  // the shared buffer was left alone
    EXPECT_STREQ(text.GetString(), L"42");
    EXPECT_NE(text.GetString(), copy.GetString());
}

TEST(CStringTest, FormatGrowsForLongResults) {
    const std::wstring wide(10000, L'w');
    const std::string narrow(10000, 'n');

    CString w(L"old");
    CString keep = w;
    w.Format(L"<%ls>", wide.c_str());
    EXPECT_EQ(w.GetLength(), 10002);
    EXPECT_EQ(std::wstring(w.GetString()), L"<" + wide + L">");
    EXPECT_STREQ(keep.GetString(), L"old");

    CStringA a;
    a.Format("<%s>", narrow.c_str());
    EXPECT_EQ(a.GetLength(), 10002);
    EXPECT_EQ(std::string(a.GetString()), "<" + narrow + ">");
    a.Format("%s", narrow.c_str());  // fits the buffer it already has
    EXPECT_EQ(std::string(a.GetString()), narrow);
}

TEST(CStringTest, FailedFormatThrowsAndKeepsTheOldText) {
    CString w(L"before");
    EXPECT_THROW(w.Format(L"%2000000d", 1), CMemoryException);
    EXPECT_STREQ(w.GetString(), L"before");
    try {
        w.Format(L"%2000000d", 1);
        ADD_FAILURE() << "a format past the size limit succeeded";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "CMemoryException: out of memory");
    }
}

TEST(CStringConversionTest, JapaneseRoundTripsExactly) {
    const wchar_t* text = L"最大値を超えました。\r\n100000に書き換えました。";
    const CString wide(text);
    const CStringA narrow(wide);
    const CString back(narrow);
    EXPECT_STREQ(back.GetString(), text);
    EXPECT_EQ(back.GetLength(), wide.GetLength());
    // Each of these kana and kanji is three UTF-8 bytes.
    EXPECT_EQ(narrow.GetLength(), 3 * 19 + 2 + 6);

    EXPECT_STREQ(CStringA(L"値").GetString(), "\xE5\x80\xA4");
    EXPECT_STREQ(CString("\xF0\x9F\x98\x80").GetString(), L"\U0001F600");
    EXPECT_STREQ(CStringA(L"\U0001F600é").GetString(), "\xF0\x9F\x98\x80\xC3\xA9");
}

TEST(CStringConversionTest, InvalidInputBecomesReplacementCharacters) {
    EXPECT_STREQ(CString("a\xFF" "b").GetString(), L"a\uFFFDb");
    EXPECT_STREQ(CString("a\xC3").GetString(), L"a\uFFFD");            // cut short at the end
    EXPECT_STREQ(CString("\xE6\x97x").GetString(), L"\uFFFDx");        // cut short, then ASCII
    EXPECT_STREQ(CString("\xC0\xAF").GetString(), L"\uFFFD\uFFFD");     // overlong '/'
    EXPECT_STREQ(CString("\xE0\x80\xAF").GetString(), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_STREQ(CString("\xF0\x80\x80\xAF").GetString(), L"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_STREQ(CString("\xED\xA0\x80").GetString(), L"\uFFFD\uFFFD\uFFFD");  // surrogate
    EXPECT_STREQ(CString("\xF4\x90\x80\x80").GetString(), L"\uFFFD\uFFFD\uFFFD\uFFFD");

    const wchar_t bad[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b', 0};
    EXPECT_STREQ(CStringA(bad).GetString(), "a??b");
}

TEST(CStringConversionTest, ConvertingAssignmentReusesAndConverts) {
    CString text;
    CString element;
    for (int i = 99990; i < 100000; ++i) {
        text.Format(L"%d", i);
        CStringA a(text);
        element = a;
    }
    EXPECT_STREQ(element.GetString(), L"99999");
    element = text;
    EXPECT_EQ(element.GetString(), text.GetString());

    CStringA n;
    n = L"日本";
    EXPECT_STREQ(n.GetString(), "\xE6\x97\xA5\xE6\x9C\xAC");
    n = text;
    EXPECT_STREQ(n.GetString(), "99999");
    n = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(n.IsEmpty());
}

TEST(CrtTest, WtoiParsesLikeTheRunTime) {
    EXPECT_EQ(_wtoi(nullptr), 0);
    EXPECT_EQ(_wtoi(L"12abc"), 12);
    EXPECT_EQ(_wtoi(L" 7"), 7);
    EXPECT_EQ(_wtoi(L"-5"), -5);
    EXPECT_EQ(_wtoi(L"+5"), 5);
    EXPECT_EQ(_wtoi(L"\r\n 42"), 42);
    EXPECT_EQ(_wtoi(L"\t\v\f9"), 9);
    EXPECT_EQ(_wtoi(L"\u30009"), 0);  // ideographic space is not ASCII white space
    EXPECT_EQ(_wtoi(L"\x1C" L"9"), 0);  // nor are the other control characters
    EXPECT_EQ(crt::atoll("\b9"), 0);
    EXPECT_EQ(_wtoi(L"１２"), 0);     // full-width digits
    EXPECT_EQ(_wtoi(L"1２"), 1);
    EXPECT_EQ(_wtoi(L""), 0);
    EXPECT_EQ(_wtoi(L"+"), 0);
    EXPECT_EQ(_wtoi(L"- 5"), 0);
    EXPECT_EQ(_wtoi(L"--5"), 0);
    EXPECT_EQ(_wtoi(L"000123"), 123);
}

TEST(CrtTest, WtoiSaturates) {
    EXPECT_EQ(crt::wtoi(L"2147483647"), INT_MAX);
    EXPECT_EQ(crt::wtoi(L"2147483648"), INT_MAX);
    EXPECT_EQ(crt::wtoi(L"99999999999"), INT_MAX);
    EXPECT_EQ(crt::wtoi(L"-2147483648"), INT_MIN);
    EXPECT_EQ(crt::wtoi(L"-2147483649"), INT_MIN);
    EXPECT_EQ(crt::wtoi(L"-99999999999"), INT_MIN);
    EXPECT_EQ(crt::wtoi(L"99999999999999999999999999999"), INT_MAX);
}

TEST(CrtTest, AtollParsesAndSaturates) {
    EXPECT_EQ(crt::atoll(nullptr), 0);
    EXPECT_EQ(crt::atoll(" -12x"), -12);
    EXPECT_EQ(crt::atoll("\xEF\xBC\x91"), 0);  // full-width 1
    EXPECT_EQ(crt::atoll("+"), 0);
    EXPECT_EQ(crt::atoll("- 5"), 0);
    EXPECT_EQ(crt::atoll("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(crt::atoll("9223372036854775808"), LLONG_MAX);
    EXPECT_EQ(crt::atoll("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(crt::atoll("-9223372036854775809"), LLONG_MIN);
    EXPECT_EQ(crt::atoll("123456789012345678901234567890"), LLONG_MAX);
}
