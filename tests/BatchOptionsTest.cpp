// The count text's reading, and texts made safe to print (the command line
// itself: CommandLineTest.cpp).
#include "batch/Runner.h"
#include "batch/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

TEST(TextTest, PrintableEscapesControlsAndBrokenUtf8AndKeepsTheRest) {
    EXPECT_EQ(batch::Printable("a\tb\r\n\x1b[0m\x7f"), "a\\tb\\r\\n\\x1b[0m\\x7f");
    EXPECT_EQ(batch::Printable("処理回数 ①"), "処理回数 ①");
    EXPECT_EQ(batch::Printable("\xc2\x9b" "31m"), "\\u009b31m");    // C1 CSI
    EXPECT_EQ(batch::Printable("\xff\xe3\x81"), "\\xff\\xe3\\x81");  // stray byte, cut character
    EXPECT_EQ(batch::Printable("\xc0\xaf"), "\\xc0\\xaf");          // overlong '/'
    EXPECT_EQ(batch::Printable("\xed\xa0\x80"), "\\xed\\xa0\\x80");  // surrogate
}

TEST(TextTest, QuotedCutsWholeCharactersAndSaysHowLongTheValueWas) {
    EXPECT_EQ(batch::Quoted(std::string_view("")), "''");
    const std::string forty(batch::kQuotedCharacters, 'x');
    EXPECT_EQ(batch::Quoted(forty), "'" + forty + "'");
    std::string japanese;
    for (int i = 0; i < 50; ++i) japanese += "あ";
    std::string shown;
    for (std::size_t i = 0; i < batch::kQuotedCharacters; ++i) shown += "あ";
    EXPECT_EQ(batch::Quoted(japanese), "'" + shown + "…' (150 bytes)");
}

// What a click reads from the count field, and what the user is told when
// that is not the text's whole value.
TEST(CountReadingTest, TheUserLearnsTheCountUsedAndWhatWasIgnored) {
    const struct {
        const wchar_t* text;
        int count;
        const char* note;  // a part of the note; nullptr: no note
    } cases[] = {
        {L"100000", 100000, nullptr},
        {L"0100000", 100000, nullptr},
        {L" 7", 7, nullptr},
        {L"+4", 4, nullptr},
        {L"-5", -5, nullptr},
        {L"100001", 100000, nullptr},  // rewritten to the limit, with the window's own warning
        {L"1e5", 1, "'1e5' is read as 1; the rest, 'e5', was ignored"},
        {L"12abc", 12, "the rest, 'abc', was ignored"},
        {L"0x10", 0, "is read as 0; the rest, 'x10', was ignored"},
        {L"5\r\n6", 5, "the rest, '\\r\\n6', was ignored"},
        {L"", 0, "'' has no leading digits: the count field reads it as 0"},
        {L"１２３", 0, "'１２３' has no leading digits"},
        {L"⑤", 0, "no leading digits"},
        {L"-", 0, "no leading digits"},
        {L"-99999999999", -2147483647 - 1, "does not fit an int: it is read as -2147483648"},
    };
    for (const auto& c : cases) {
        const batch::PastedCount pasted = batch::PasteCount(c.text);
        const std::string shown = batch::Utf8(c.text);
        EXPECT_EQ(pasted.count, c.count) << shown;
        if (c.note) EXPECT_NE(pasted.readingNote.find(c.note), std::string::npos) << shown << ": " << pasted.readingNote;
        else EXPECT_EQ(pasted.readingNote, "") << shown;
    }
    EXPECT_FALSE(batch::PasteCount(L"100001").warning.empty());
    EXPECT_FALSE(HasControlCharacter(batch::PasteCount(L"5\x1b[2J").readingNote));
}

}  // namespace
