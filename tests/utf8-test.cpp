// UTF-8 decoding, as the fatal error box and the checker use it.
#include "src/text/utf8.h"

#include <gtest/gtest.h>

#include <string>

using namespace varnel;  // the product under test

namespace {

TEST(Utf8Text, Utf8BecomesWideText)
{
    EXPECT_EQ(Utf8ToWide("Varnel v2.6 -> ok\n"), L"Varnel v2.6 -> ok\n");
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide("\xC3\xA9t\xC3\xA9"), L"\u00E9t\u00E9");
    EXPECT_EQ(Utf8ToWide("\xE2\x82\xAC"), L"\u20AC");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), L"\U0001F600");
    EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\uFFFD" L"b");
    EXPECT_EQ(Utf8ToWide("\xC3"), L"\uFFFD");
}

TEST(Utf8Text, CharactersBeyondSixteenBitsBecomeSurrogatePairs)
{
    // Written as numbers, so the expectation does not rest on the compiler's
    // own conversion. U+1F400 lies on a 1024 boundary above U+10000. Where
    // wide characters have 32 bits (Linux) the code point stands as it is.
    struct Case {
        const char* utf8;
        std::u32string codePoint;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"\xF0\x90\x80\x80", {0x10000}, {0xD800, 0xDC00}},
        {"\xF0\x9F\x90\x80", {0x1F400}, {0xD83D, 0xDC00}},
        {"\xF0\x9F\x98\x80", {0x1F600}, {0xD83D, 0xDE00}},
        {"\xF4\x8F\xBF\xBF", {0x10FFFF}, {0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases) {
        const std::wstring wide = Utf8ToWide(c.utf8);
        if constexpr (sizeof(wchar_t) == 2)
            EXPECT_EQ(std::u16string(wide.begin(), wide.end()), c.utf16) << c.utf8;
        else
            EXPECT_EQ(std::u32string(wide.begin(), wide.end()), c.codePoint) << c.utf8;
    }
}

TEST(Utf8Text, MalformedUtf8BecomesReplacementCharacters)
{
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"\xC0\xAF", L"\uFFFD\uFFFD"},              // overlong '/', two bytes
        {"\xC1\xBF", L"\uFFFD\uFFFD"},              // overlong, two bytes
        {"\xE0\x80\xAF", L"\uFFFD"},               // overlong '/', three bytes
        {"\xE0\x9F\xBF", L"\uFFFD"},               // overlong U+07FF
        {"\xF0\x80\x80\xAF", L"\uFFFD"},           // overlong '/', four bytes
        {"\xF0\x8F\xBF\xBF", L"\uFFFD"},           // overlong U+FFFF
        {"\xED\xA0\x80", L"\uFFFD"},               // a surrogate, U+D800
        {"\xED\xBF\xBF", L"\uFFFD"},               // a surrogate, U+DFFF
        {"\xF4\x90\x80\x80", L"\uFFFD"},           // above U+10FFFF
        {"\xE0\xA0\x80", L"\u0800"},               // the smallest three-byte form
    };
    for (const auto& [utf8, wide] : cases)
        EXPECT_EQ(Utf8ToWide(utf8), std::wstring(wide)) << utf8;
}

TEST(Utf8Text, WideTextBecomesUtf8)
{
    const std::pair<std::wstring, std::string> cases[] = {
        {L"C:\\Users\\Zo\u00EB\\Documents", "C:\\Users\\Zo\xC3\xAB\\Documents"},
        {L"\u7F8E\u54B2", "\xE7\xBE\x8E\xE5\x92\xB2"},
        {L"", ""},
    };
    for (const auto& [wide, utf8] : cases) {
        EXPECT_EQ(WideToUtf8(wide), utf8);
        EXPECT_EQ(Utf8ToWide(utf8), wide);
    }
    // Each form's last and next character: a shorter form never stands for a longer one.
    const std::pair<char32_t, std::string> boundaries[] = {
        {0x7F, "\x7F"},         {0x80, "\xC2\x80"},         {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"},
    };
    for (const auto& [code, utf8] : boundaries) {
        const std::wstring wide = sizeof(wchar_t) == 2 && code > 0xFFFF
                                      ? std::wstring{wchar_t(0xD800 + ((code - 0x10000) >> 10)),
                                                     wchar_t(0xDC00 + ((code - 0x10000) & 0x3FF))}
                                      : std::wstring(1, static_cast<wchar_t>(code));
        EXPECT_EQ(WideToUtf8(wide), utf8) << std::hex << static_cast<unsigned>(code);
    }
    if constexpr (sizeof(wchar_t) == 2) {
        const wchar_t pair[] = {0xD83D, 0xDE00, 0};
        EXPECT_EQ(WideToUtf8(pair), "\xF0\x9F\x98\x80");
        const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
        EXPECT_EQ(WideToUtf8(lone), "a\xEF\xBF\xBD" "b");
        const wchar_t loneLow[] = {0xDC00, 0};
        EXPECT_EQ(WideToUtf8(loneLow), "\xEF\xBF\xBD");
    }
}

TEST(Utf8Text, NamesAreShownByteForByteWithControlAndStrayBytesEscaped)
{
    EXPECT_EQ(Escaped("Zo\xC3\xAB \xE7\xBE\x8E"), "Zo\xC3\xAB \xE7\xBE\x8E");
    EXPECT_EQ(Escaped("a\tb\r\n\x01\x7F"), "a\\tb\\x0D\\x0A\\x01\\x7F");
    EXPECT_EQ(Escaped(std::string("N\0x", 3)), "N\\x00x");
    EXPECT_EQ(Escaped("\xFF\xFE" "A\xC3"), "\\xFF\\xFEA\\xC3");
    EXPECT_EQ(Escaped("C:\\Games"), "C:\\\\Games");
    EXPECT_EQ(Escaped("C:\\Games", Backslashes::Kept), "C:\\Games");
    EXPECT_TRUE(IsUtf8("Zo\xC3\xAB \xEF\xBF\xBD"));
    EXPECT_FALSE(IsUtf8("Zo\xEB"));
}

}  // namespace
