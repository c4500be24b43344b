#include <gtest/gtest.h>

#include <random>

#include "exercise.h"
#include "msg/header_manager.h"

namespace {
// Pieces that steer the operations into their corners: names, separators,
// folds, the summary marks and other high bytes.
const char* const kPieces[] = {"To: ", "to: ", "Cc: ", "Bcc: ", "From: ", "Reply-To: ",
                               "Subject: ", "References: ", "Message-ID: ", "Newsgroups: ",
                               "Followup-To: ", "Chain: ", "Attachment: ", "Author-Address: ",
                               "Anon-To: ", "Post-To: ", "author-address@[127.0.0.1]",
                               " <AT> ", " <DOT> ", "re: ", "@", "<", ">", "><", " <", "> ",
                               ",", " ,", ", ", "=", "\"", " ", "\t", "\r", "\r\n", "\0",
                               "\xA8", "\xA9", "\xAD", "\xFF", "\xC4", "\xE4", "\x80", "a"};

Lines RandomMessage(std::mt19937& random) {
  std::uniform_int_distribution<size_t> pieceOf(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> lineCount(0, 12);
  std::uniform_int_distribution<int> pieceCount(0, 10);
  std::uniform_int_distribution<int> byte(0x80, 0xFF);
  Lines lines(lineCount(random));
  for (std::string& line : lines) {
    const int pieces = pieceCount(random);
    for (int p = 0; p < pieces; ++p) {
      const size_t which = pieceOf(random);
      if (kPieces[which][0] == '\0') line += '\0';
      else line += kPieces[which];
      if (random() % 8 == 0) line += static_cast<char>(byte(random));
      if (random() % 64 == 0) line += std::string(1500 + random() % 1000, kPieces[which][0]);
    }
  }
  return lines;
}
}  // namespace

TEST(BadInput, RandomMessagesKeepEveryPromise) {
  std::mt19937 random(20240305);
  for (int round = 0; round < 3000; ++round) {
    const Lines message = RandomMessage(random);
    ASSERT_EQ(ExerciseAll(message), "") << "round " << round;
  }
}

TEST(BadInput, EdgeMessages) {
  const std::string huge(100000, '@');
  const Lines cases[] = {
      {},
      {""},
      {"", "To: a@b"},
      {" ", "\t", " \t"},
      {huge},
      {"To: " + huge, " " + huge},
      {"References: " + std::string(3000, '<'), " " + std::string(3000, '>')},
      {"Newsgroups: " + std::string(2000, ',')},
      {"Subject: \xFF\xAD\xA9\xA8", "From: \xFF@\xFF"},
      {std::string("To: a\0b@c", 9), std::string("Subject: \0", 10)},
      {"Author-Address: <DOT> <DOT> <AT>", "From: author-address@[127.0.0.1]"},
  };
  for (const Lines& message : cases) EXPECT_EQ(ExerciseAll(message), "");
}

TEST(BadInput, ValuesKeepEveryHighByte) {
  std::string all;
  for (int b = 0x80; b <= 0xFF; ++b) all += static_cast<char>(b);
  Lines lines = {"Subject: " + all, "From: " + all + "@host"};
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.GetHeaderValue("Subject: "), all);
  EXPECT_EQ(hm.ExtractAddress(hm.GetHeaderValue("From: ")), all + "@host");
  EXPECT_EQ(SplitIntoLines("a\r\nb\n\nc"), (Lines{"a\r", "b", "", "c"}));
}
