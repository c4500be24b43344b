#include <gtest/gtest.h>
#include <windows.h>

#include "sys/code_page.h"
#include "sys/colors.h"
#include "sys/error_text.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"
#include "sys/wipe.h"

TEST(ColorByIndex, RedInTheLowByteAndWhiteOutsideTheTable) {
  EXPECT_EQ(ColorByIndex(0), RGB(0, 0, 0));
  EXPECT_EQ(ColorByIndex(1), RGB(0x80, 0, 0));  // maroon
  EXPECT_EQ(ColorByIndex(4), RGB(0, 0, 0x80));  // navy
  EXPECT_EQ(ColorByIndex(6), RGB(0, 0x80, 0x80));  // teal
  EXPECT_EQ(ColorByIndex(8), RGB(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(ColorByIndex(9), RGB(0xFF, 0, 0));  // red
  EXPECT_EQ(ColorByIndex(11), RGB(0xFF, 0xFF, 0));  // yellow
  EXPECT_EQ(ColorByIndex(12), RGB(0, 0, 0xFF));  // blue
  EXPECT_EQ(ColorByIndex(14), RGB(0, 0xFF, 0xFF));  // aqua
  EXPECT_EQ(ColorByIndex(15), 0xFFFFFFu);
  EXPECT_EQ(ColorByIndex(16), 0xFFFFFFu);
  EXPECT_EQ(ColorByIndex(-1), 0xFFFFFFu);
}

TEST(WipeText, BlanksTheStorageBeforeEmptying) {
  std::string secret = "a passphrase of some length, beyond any short-string buffer";
  const char* storage = secret.data();
  const size_t n = secret.size();
  WipeText(secret);
  EXPECT_TRUE(secret.empty());
  // Emptying keeps the same storage: what was there is now blanks (the first
  // byte became the empty text's closing zero).
  ASSERT_EQ(secret.data(), storage);
  EXPECT_EQ(std::string(storage + 1, n - 1), std::string(n - 1, ' '));
}

TEST(CharPtr, AddressesOneBasedPositionsInsideTheText) {
  std::string text = "abc";
  EXPECT_EQ(CharPtr(text, 1), text.data());
  EXPECT_EQ(*CharPtr(text, 3), 'c');
  *CharPtr(text, 2) = 'X';
  EXPECT_EQ(text, "aXc");
  EXPECT_EQ(CharPtr(text, 0), nullptr);
  EXPECT_EQ(CharPtr(text, 4), nullptr);
  std::string empty;
  EXPECT_EQ(CharPtr(empty, 1), nullptr);
}

TEST(ErrorText, TheSystemsWordingForTheLastError) {
  std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(notFound.empty());
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(LastErrorText(), notFound);
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED), notFound);
  // No text for a code the message table does not know.
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "");
}

// The program's UTF-8 at the system's edge: whole through the wide functions,
// into the code page only when every letter has its own place there (no
// look-alike, no question mark), and cased letter by letter.
TEST(TextAtTheEdge, ConvertsExactlyOrNotAtAll) {
  ASSERT_EQ(GetACP(), 1252u) << "the table is for Windows-1252";
  const struct {
    std::string utf8;
    bool fits;
    std::string ansi;
    std::string lower;
  } cases[] = {
      {"C:\\Apps\\Café Über", true, "C:\\Apps\\Caf\xE9 \xDC" "ber", "c:\\apps\\café über"},
      {"€‰Ÿ", true, "\x80\x89\x9F", "€‰ÿ"},
      {"C:\\Apps\\Łódź", false, "", "c:\\apps\\łódź"},
      {"C:\\Apps\\Почта", false, "", "c:\\apps\\почта"},
      {"C:\\Apps\\邮件", false, "", "c:\\apps\\邮件"},
      {"\U0001F600", false, "", "\U0001F600"},
      {"", true, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Narrow(Widen(c.utf8)), c.utf8) << c.utf8;
    std::string ansi = "stale";
    EXPECT_EQ(AnsiFromUtf8(c.utf8, &ansi), c.fits) << c.utf8;
    EXPECT_EQ(ansi, c.ansi) << c.utf8;
    if (c.fits) {
      EXPECT_EQ(Utf8FromAnsi(c.ansi), c.utf8);
    }
    EXPECT_EQ(Utf8LowerCase(c.utf8), c.lower) << c.utf8;
    EXPECT_TRUE(Utf8SameText(Utf8UpperCase(c.utf8), c.lower)) << c.utf8;
  }
  // Bytes that are no UTF-8 (ANSI text passed by mistake) fit nowhere.
  EXPECT_FALSE(FitsCodePage("Caf\xE9"));
}
