#include <gtest/gtest.h>
#include <windows.h>

#include "sys/colors.h"
#include "sys/error_text.h"
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
