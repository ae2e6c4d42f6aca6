#include "base/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

namespace korvant {
namespace {

// One conversion through glibc, the reference our table must agree with.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The converted bytes, or nothing when glibc refuses the input.
  std::optional<std::string> operator()(const std::string& in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string src = in;
    std::string out(in.size() * 4 + 8, '\0');
    char* ip = src.data();
    std::size_t il = src.size();
    char* op = out.data();
    std::size_t ol = out.size();
    if (iconv(cd_, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - ol);
    return out;
  }

 private:
  iconv_t cd_;
};

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }

TEST(Cp1251, EveryByteDecodesAsGlibcDoes) {
  Iconv toUtf8("UTF-8", "CP1251");
  Iconv toUtf16("UTF-16LE", "CP1251");
  ASSERT_TRUE(toUtf8.ok() && toUtf16.ok());
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    std::string ours8 = cp1251::toUtf8(Byte(b));
    std::u16string ours16 = cp1251::toUtf16(Byte(b));
    ASSERT_EQ(ours16.size(), 1u);
    EXPECT_EQ(uint32_t(ours16[0]), uint32_t(cp1251::toUnicode(static_cast<unsigned char>(b))));
    if (b == 0x98) {
      // Unassigned in the code page: always shown as '?', whatever glibc does.
      EXPECT_EQ(ours8, "?");
      EXPECT_EQ(ours16, u"?");
      continue;
    }
    auto ref8 = toUtf8(Byte(b));
    ASSERT_TRUE(ref8.has_value());
    EXPECT_EQ(ours8, *ref8);
    auto ref16 = toUtf16(Byte(b));
    ASSERT_TRUE(ref16.has_value());
    ASSERT_EQ(ref16->size(), 2u);
    char16_t unit = static_cast<char16_t>(static_cast<unsigned char>((*ref16)[0]) |
                                          static_cast<unsigned char>((*ref16)[1]) << 8);
    EXPECT_EQ(unsigned(ours16[0]), unsigned(unit));
  }
}

// Every character of the Basic Multilingual Plane (and a few beyond it)
// encodes to glibc's byte, or to '?' where glibc finds no byte for it.
TEST(Cp1251, EveryCharacterEncodesAsGlibcDoes) {
  Iconv fromUtf8("CP1251", "UTF-8");
  ASSERT_TRUE(fromUtf8.ok());
  int mapped = 0;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    auto ref = fromUtf8(Utf8Of(cp));
    std::string expected = ref ? *ref : std::string("?");
    ASSERT_EQ(expected.size(), 1u) << "glibc gave several bytes for " << std::hex << unsigned(cp);
    if (ref) ++mapped;
    std::string u8 = cp1251::fromUtf8(Utf8Of(cp));
    std::string u16 = cp1251::fromUtf16(std::u16string(1, static_cast<char16_t>(cp)));
    ASSERT_EQ(u8, expected) << std::hex << "U+" << unsigned(cp);
    ASSERT_EQ(u16, expected) << std::hex << "U+" << unsigned(cp);
    ASSERT_EQ(cp1251::fromUnicode(cp), static_cast<unsigned char>(expected[0]));
  }
  EXPECT_EQ(mapped, 255);  // every byte but 0x98 has exactly one character
  for (char32_t cp : {char32_t(0x10000), char32_t(0x1F600), char32_t(0x10FFFF)}) {
    EXPECT_EQ(cp1251::fromUtf8(Utf8Of(cp)), "?");
    EXPECT_EQ(cp1251::fromUnicode(cp), '?');
  }
}

TEST(Cp1251, AllBytesRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string expected = all;
  expected[0x98] = '?';
  EXPECT_EQ(cp1251::fromUtf8(cp1251::toUtf8(all)), expected);
  EXPECT_EQ(cp1251::fromUtf16(cp1251::toUtf16(all)), expected);
  EXPECT_EQ(cp1251::toUtf8(all).find('\0'), 0u);  // NUL survives as a character
  EXPECT_EQ(cp1251::toUtf8(""), "");
  EXPECT_EQ(cp1251::fromUtf16(u""), "");
}

TEST(Cp1251, CyrillicWordsConvert) {
  EXPECT_EQ(cp1251::fromUtf8("Ёжик №1"), "\xA8\xE6\xE8\xEA \xB9" "1");
  EXPECT_EQ(cp1251::toUtf8("\xC0\xD0\xCC \"\xCA\xEE\xF0\xE2\xE0\xED\xF2\""), "АРМ \"Корвант\"");
  EXPECT_EQ(cp1251::toUtf16("\xDF\xFF"), u"Яя");
  EXPECT_EQ(cp1251::fromUtf16(u"€…«»"), "\x88\x85\xAB\xBB");
}

TEST(Cp1251, IllFormedUtf8GivesOneQuestionMarkPerBadByte) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"stray continuation", "a\x80" "b", "a?b"},
      {"lone lead at end", "x\xD0", "x?"},
      {"cut three-byte", "\xE2\x82" "A", "??A"},
      {"cut four-byte", "\xF0\x9F\x98", "???"},
      {"lead then ASCII", "\xD0" "A\xD0\x96", "?A\xC6"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"overlong NUL", "\xC0\x80", "??"},
      {"overlong DEL", "\xC1\xBF", "??"},
      {"overlong three-byte", "\xE0\x80\xAF", "???"},
      {"overlong three-byte Zhe", "\xE0\x90\x96", "???"},
      {"overlong four-byte", "\xF0\x80\x80\xAF", "????"},
      {"encoded high surrogate", "\xED\xA0\x80", "???"},
      {"encoded low surrogate", "\xED\xBF\xBF", "???"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
      {"lead F5", "\xF5\x80\x80\x80", "????"},
      {"byte FF and FE", "\xFF\xFE", "??"},
      {"valid outside the code page", "\xF0\x9F\x98\x80", "?"},
      {"last valid", "\xF4\x8F\xBF\xBF", "?"},
      {"euro after bad byte", "\x80\xE2\x82\xAC", "?\x88"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1251::fromUtf8(c.in), c.out) << c.name;
  }
}

TEST(Cp1251, SurrogatesInUtf16) {
  const char16_t hi = 0xD83D, lo = 0xDE00;
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{hi, lo}), "?");             // a pair: one character
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{u'a', hi}), "a?");          // high at the end
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{hi, u'\x0416'}), "?\xC6");  // high then Ж
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{lo, u'b'}), "?b");          // lone low
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{lo, hi}), "??");            // reversed pair
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{hi, hi, lo}), "??");        // lone high, then a pair
  EXPECT_EQ(cp1251::fromUtf16(std::u16string{0xFFFF, 0xFEFF}), "??");
}

}  // namespace
}  // namespace korvant
