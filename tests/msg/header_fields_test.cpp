#include <gtest/gtest.h>

#include "msg/header_manager.h"

namespace {
const std::string kLong1500(1500, 'v');

Lines Message() {
  return {"from: Alice <alice@example.org>",
          "Subject: First part",
          " second part",
          "\tthird part",
          "Host: mail.example.org",
          "",
          "To: body@example.org",
          "Body text."};
}
}  // namespace

TEST(FindHeader, MatchesNameIgnoringCaseOnlyAtLineStart) {
  Lines lines = Message();
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.FindHeader("From: "), 0);
  EXPECT_EQ(hm.FindHeader("FROM: "), 0);
  EXPECT_EQ(hm.GetHeaderValue("From: "), "Alice <alice@example.org>");
  EXPECT_EQ(hm.FindHeader("Host: "), 4);
  // Continuation lines are no fields, and "Subject:" without its blank is
  // another name.
  EXPECT_EQ(hm.FindHeader("second"), -1);
  EXPECT_EQ(hm.FindHeader("Subject:x"), -1);
  EXPECT_EQ(hm.FindHeader(""), -1);
  // Windows-1252 letters above 0x7F fold like ASCII ones.
  Lines accented = {"X-\xE4rger: yes"};
  EXPECT_EQ(hm.GetHeaderValue("x-\xC4RGER: ", &accented), "yes");
}

TEST(FindHeader, FieldsBehindTheHeaderBlockAreNeverFound) {
  Lines lines = Message();
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.FindHeader("To: "), -1);
  EXPECT_FALSE(hm.HasHeader("To: "));
  EXPECT_EQ(hm.GetHeaderField("To: "), "");
  EXPECT_EQ(hm.GetHeaderValue("To: "), "");
  EXPECT_EQ(hm.DeleteHeader("To: "), -1);
  EXPECT_EQ(lines, Message());
  EXPECT_EQ(hm.HeaderEnd(), 5);
  Lines noBody = {"A: 1", "B: 2"};
  EXPECT_EQ(hm.FindHeader("b: ", &noBody), 1);
  EXPECT_EQ(hm.HeaderEnd(), 2);
}

TEST(GetHeaderField, FoldedFieldsJoinWithCrLfAndKeepTheirIndent) {
  Lines lines = Message();
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.GetHeaderField("subject: "),
            "Subject: First part\r\n second part\r\n\tthird part");
  EXPECT_EQ(hm.GetHeaderValue("Subject: "), "First part\r\n second part\r\n\tthird part");
  EXPECT_EQ(hm.GetHeaderValue("Host: "), "mail.example.org");
}

TEST(GetHeaderValue, KeepsBlanksAndCutsAt1024Characters) {
  Lines lines = {"Subject:   padded  ", "X-Long: " + kLong1500, "Empty: "};
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.GetHeaderValue("Subject: "), "  padded  ");
  EXPECT_EQ(hm.GetHeaderValue("X-Long: "), kLong1500.substr(0, 1024));
  EXPECT_EQ(hm.GetHeaderValue("Empty: "), "");
  EXPECT_TRUE(hm.HasHeader("Empty: "));
}

TEST(DeleteHeader, RemovesAFoldedFieldWithItsContinuationLines) {
  Lines lines = Message();
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.DeleteHeader("Subject: "), 1);
  EXPECT_EQ(lines, (Lines{"from: Alice <alice@example.org>", "Host: mail.example.org", "",
                          "To: body@example.org", "Body text."}));
  EXPECT_EQ(hm.DeleteHeader("Subject: "), -1);
  EXPECT_EQ(lines.size(), 5u);
  // The last field of a list without a body goes with its trailing folds.
  Lines tail = {"A: 1", "B: 2", " more"};
  EXPECT_EQ(hm.DeleteHeader("B: ", &tail), 1);
  EXPECT_EQ(tail, (Lines{"A: 1"}));
}

TEST(ExtractFirstField, ConsumesFieldsJoinedWithLineFeedUpToTheBody) {
  Lines lines = Message();
  THeaderManager hm(&lines);
  std::string field;
  EXPECT_EQ(hm.ExtractFirstField(field), "from: Alice <alice@example.org>");
  EXPECT_EQ(field, "from: Alice <alice@example.org>");
  EXPECT_EQ(hm.ExtractFirstField(field), "Subject: First part\n second part\n\tthird part");
  EXPECT_EQ(hm.ExtractFirstField(field), "Host: mail.example.org");
  // The empty line ends the header and stays.
  EXPECT_EQ(hm.ExtractFirstField(field), "");
  EXPECT_EQ(field, "");
  EXPECT_EQ(lines, (Lines{"", "To: body@example.org", "Body text."}));
}

TEST(ExtractFirstField, DropsOrphanContinuationsAndEmptyLinesBehindThem) {
  Lines lines = {" orphan", "\tmore", "", "Next: 1", " fold"};
  THeaderManager hm(&lines);
  std::string field;
  EXPECT_EQ(hm.ExtractFirstField(field), "Next: 1\n fold");
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(hm.ExtractFirstField(field), "");
  Lines onlyOrphans = {" a", "", "\t"};
  hm.SetLines(&onlyOrphans);
  EXPECT_EQ(hm.ExtractFirstField(field), "");
  EXPECT_TRUE(onlyOrphans.empty());
}

TEST(HeaderNameOf, NameWithColonAndBlankOrNothing) {
  EXPECT_EQ(THeaderManager::HeaderNameOf("Subject: a: b"), "Subject: ");
  EXPECT_EQ(THeaderManager::HeaderNameOf(": x"), ": ");
  EXPECT_EQ(THeaderManager::HeaderNameOf("Subject:a"), "");
  EXPECT_EQ(THeaderManager::HeaderNameOf(""), "");
}

TEST(OptionalList, AGivenListStaysAttachedAndLineCountIsTheConstructors) {
  Lines first = {"A: first"};
  Lines second = {"A: second", "B: 2"};
  THeaderManager hm(&first);
  EXPECT_EQ(hm.LineCount(), 1);
  EXPECT_EQ(hm.GetHeaderValue("A: ", &second), "second");
  EXPECT_EQ(hm.GetLines(), &second);
  EXPECT_EQ(hm.GetHeaderValue("A: "), "second");
  EXPECT_EQ(hm.SetLines(&first), &first);
  EXPECT_EQ(hm.GetHeaderValue("A: "), "first");
  EXPECT_EQ(hm.LineCount(), 1);
}

TEST(OptionalList, NoListAttachedActsAsAnEmptyMessage) {
  THeaderManager hm;
  std::string field = "stale";
  Lines out = {"kept"};
  EXPECT_EQ(hm.LineCount(), 0);
  EXPECT_EQ(hm.FindHeader("A: "), -1);
  EXPECT_EQ(hm.DeleteHeader("A: "), -1);
  EXPECT_EQ(hm.HeaderEnd(), 0);
  EXPECT_EQ(hm.ExtractFirstField(field), "");
  EXPECT_EQ(hm.GetAttachments(out), 1);
  EXPECT_EQ(hm.GetRecipients(out), 0);
  EXPECT_EQ(hm.ReplyField("Subject:", field), "Subject: Re: \r\n");
}
