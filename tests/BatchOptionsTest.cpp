// The command line: modes, the batch options and their defaults, and what a
// bad argument is told; the count text's reading; texts made safe to print.
#include "batch/Options.h"
#include "batch/Runner.h"
#include "batch/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

batch::CommandLine Parsed(const std::vector<std::string>& args) {
    auto parsed = batch::ParseCommandLine(args);
    const auto* error = std::get_if<std::string>(&parsed);
    EXPECT_EQ(error, nullptr) << *error;
    return error ? batch::CommandLine{} : std::get<batch::CommandLine>(parsed);
}

std::string ErrorOf(const std::vector<std::string>& args) {
    auto parsed = batch::ParseCommandLine(args);
    const auto* error = std::get_if<std::string>(&parsed);
    return error ? *error : std::string();
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

TEST(CommandLineTest, ModesAndHelpWhereverItStands) {
    EXPECT_EQ(Parsed({}).mode, batch::Mode::Window);
    EXPECT_EQ(Parsed({"--batch"}).mode, batch::Mode::Batch);
    EXPECT_EQ(Parsed({"--list"}).mode, batch::Mode::List);
    EXPECT_EQ(Parsed({"--version"}).mode, batch::Mode::Version);
    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"}, {"-h"}, {"--batch", "--help"},
                                                 {"--batch", "--buttons", "1000", "-h"}}) {
        EXPECT_EQ(Parsed(help).mode, batch::Mode::Help) << help.back();
    }
    EXPECT_NE(ErrorOf({"--list", "--batch"}).find("excludes"), std::string::npos);
    EXPECT_EQ(ErrorOf({"--buttons", "1000"}), "--buttons needs --batch or --sweep");
    EXPECT_EQ(ErrorOf({"--frobnicate"}), "unknown option '--frobnicate' (try --help)");
    EXPECT_EQ(ErrorOf({"--list", "extra"}), "unexpected argument 'extra' (try --help)");
    // The help describes every batch option the parser knows.
    const std::string help = batch::HelpText();
    for (const char* option : {"--buttons LIST", "--count TEXT", "--repetitions N", "--format F", "--output FILE",
                               "--plot FILE", "--batch", "--list", "--version", "Exit status"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(CommandLineTest, DefaultsAreTheVisibleButtonsElevenClicksAndATable) {
    const batch::Options o = Parsed({"--batch"}).options;
    EXPECT_EQ(o.buttons.size(), 20u);
    EXPECT_EQ(std::count(o.buttons.begin(), o.buttons.end(), 1053), 0);
    EXPECT_EQ(o.repetitions, 11);
    EXPECT_EQ(o.format, batch::Format::Table);
    EXPECT_FALSE(o.countText);
    const batch::Options all = Parsed({"--batch", "--buttons", "all", "--count", "12abc", "--format", "json"}).options;
    EXPECT_EQ(all.buttons.size(), 22u);
    EXPECT_EQ(*all.countText, L"12abc");
    EXPECT_EQ(all.format, batch::Format::Json);
    // Texts that start with a minus, and the empty text, are count texts too.
    EXPECT_EQ(*Parsed({"--batch", "--count", "-5"}).options.countText, L"-5");
    EXPECT_EQ(*Parsed({"--batch", "--count", ""}).options.countText, L"");
    EXPECT_EQ(*Parsed({"--batch", "--count=-x"}).options.countText, L"-x");
    // The buttons run in the order given; a repeated option: the last one holds.
    const batch::Options given = Parsed({"--batch", "--buttons", "1055,1000", "--repetitions", "3", "--repetitions", "2"}).options;
    EXPECT_EQ(given.buttons, (std::vector<int>{1055, 1000}));
    EXPECT_EQ(given.repetitions, 2);
}

TEST(CommandLineTest, BadArgumentsSayWhatIsWrong) {
    EXPECT_NE(ErrorOf({"--batch", "--buttons", "1000,1001"}).find("unknown button id '1001'; valid ids: 1000, 1002"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"--batch", "--buttons", ""}).find("at least one"), std::string::npos);
    // An empty id at either end, or inside, is refused alike.
    for (const char* list : {"1000,", ",1000", "1000,,1002", ","}) {
        EXPECT_NE(ErrorOf({"--batch", "--buttons", list}).find("has an empty id"), std::string::npos) << list;
    }
    EXPECT_EQ(ErrorOf({"--batch", "--buttons", "1000,1002,1000"}), "--buttons names 1000 twice; name each button once");
    for (const char* n : {"0", "10001", "abc", "5x", "-1", "", " 3"}) {
        EXPECT_NE(ErrorOf({"--batch", "--repetitions", n}).find("1 to 10000"), std::string::npos) << n;
    }
    EXPECT_EQ(ErrorOf({"--batch", "--repetitions", "10000"}), "");
    EXPECT_NE(ErrorOf({"--batch", "--format", "xml"}).find("table, csv or json"), std::string::npos);
    EXPECT_EQ(ErrorOf({"--batch", "--output", ""}), "--output needs a file name");
    EXPECT_EQ(ErrorOf({"--batch", "--count"}), "--count needs a value");
}

TEST(CommandLineTest, ABadValueIsShownCutAndWithoutControlCharacters) {
    const std::string huge(100000, '7');
    for (const std::string& value : std::vector<std::string>{huge, "1000\x1b[2J,1002", "\x1b]0;title\x07", huge + "\x1b"}) {
        for (const char* option : {"--buttons", "--repetitions", "--format"}) {
            const std::string error = ErrorOf({"--batch", option, value});
            EXPECT_LT(error.size(), 300u) << option;
            EXPECT_FALSE(HasControlCharacter(error)) << error;
        }
        const std::string unknown = ErrorOf({"--batch", "--" + value});
        EXPECT_LT(unknown.size(), 300u);
        EXPECT_FALSE(HasControlCharacter(unknown)) << unknown;
    }
    EXPECT_NE(ErrorOf({"--batch", "--format", huge}).find("…' (100000 bytes)"), std::string::npos);
    EXPECT_NE(ErrorOf({"--batch", "--format", "a\x1b[2Jb"}).find("'a\\x1b[2Jb'"), std::string::npos);
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
