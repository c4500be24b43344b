#include <gtest/gtest.h>

#include "msg/header_manager.h"

TEST(ExtractAddress, TakesTheWordAroundTheFirstAtSign) {
  const struct {
    const char* text;
    const char* address;
  } cases[] = {
      {"no address here", ""},
      {"", ""},
      {"\"Doe, John\" <john@example.org>", "john@example.org"},
      {"<john@example.org>trailing", "john@example.org"},
      {"a@x.org, b@y.org", "a@x.org"},
      {"key=value@host", "value@host"},
      {"@", "@"},
      {"x@", "x@"},
      {"line\r\nuser@host\r\nmore", "user@host"},
      // Tab and quotes do not separate; the trim takes a tab at either end.
      {"\tuser@host\t", "user@host"},
      {"a\tb@c", "a\tb@c"},
      {"\"quoted\"@host", "\"quoted\"@host"},
      {"\xE4\xFF@\xA9\xAD", "\xE4\xFF@\xA9\xAD"},
  };
  THeaderManager hm;
  for (const auto& c : cases) EXPECT_EQ(hm.ExtractAddress(c.text), c.address) << c.text;
}

TEST(DomainOf, TextAfterTheFirstAtSignUpTo1024Characters) {
  THeaderManager hm;
  EXPECT_EQ(hm.DomainOf("user@example.org"), "example.org");
  EXPECT_EQ(hm.DomainOf("a@b@c"), "b@c");
  EXPECT_EQ(hm.DomainOf("user@"), "");
  EXPECT_EQ(hm.DomainOf("example.org"), "");
  EXPECT_EQ(hm.DomainOf("u@" + std::string(1500, 'd')), std::string(1024, 'd'));
}

TEST(ParseAddressList, CommasInQuotedNamesAndCaseDuplicatesAddNothing) {
  THeaderManager hm;
  Lines out = {"earlier@example.org"};
  const std::string text =
      "first@example.org, \"Doe, John\" <john@example.org>, FIRST@EXAMPLE.ORG";
  EXPECT_EQ(hm.ParseAddressList(out, text), 3);
  EXPECT_EQ(out, (Lines{"earlier@example.org", "first@example.org", "john@example.org"}));
  EXPECT_EQ(hm.ParseAddressList(out, "EARLIER@example.org,,no address"), 3);
  EXPECT_EQ(hm.ParseAddressList(out, ""), 3);
}

TEST(ParseAddressList, ReadsAtMost1024CharactersPastEachComma) {
  THeaderManager hm;
  Lines out;
  const std::string near = "a@x, " + std::string(1000, 'n') + " b@y";
  EXPECT_EQ(hm.ParseAddressList(out, near), 2);
  out.clear();
  const std::string far = "a@x, " + std::string(1100, 'n') + " c@z";
  EXPECT_EQ(hm.ParseAddressList(out, far), 1);
}

TEST(GetRecipients, EveryDistinctAddressOfToCcAndBccOnceInOrder) {
  Lines lines = {"To: Ann <ann@example.org>", "Cc: ann@example.org,", " bob@example.org",
                 "Subject: x", "", "Bcc: hidden@example.org"};
  THeaderManager hm(&lines);
  Lines out = {"stale"};
  EXPECT_EQ(hm.GetRecipients(out), 2);
  EXPECT_EQ(out, (Lines{"ann@example.org", "bob@example.org"}));
  Lines withBcc = {"Bcc: carl@example.org", "to: Dan@example.org, carl@EXAMPLE.org"};
  EXPECT_EQ(hm.GetRecipients(out, &withBcc), 2);
  EXPECT_EQ(out, (Lines{"Dan@example.org", "carl@EXAMPLE.org"}));
  Lines onlyBcc = {"Subject: s", "Bcc: eve@example.org"};
  EXPECT_EQ(hm.GetRecipients(out, &onlyBcc), 1);
  EXPECT_EQ(out, Lines{"eve@example.org"});
}

TEST(SplitHeaderList, NonEmptyItemsWithoutBlanksAroundCommas) {
  Lines lines = {"Newsgroups: alt.one ,alt.two,, alt.three,", "Followup-To: a,b c,",
                 " d", "Single: only"};
  THeaderManager hm(&lines);
  Lines out = {"stale"};
  EXPECT_EQ(hm.SplitHeaderList("Newsgroups: ", out), 3);
  EXPECT_EQ(out, (Lines{"alt.one", "alt.two", "alt.three"}));
  // A fold behind a comma starts the next item; blanks inside an item stay.
  EXPECT_EQ(hm.SplitHeaderList("Followup-To: ", out), 3);
  EXPECT_EQ(out, (Lines{"a", "b c", "d"}));
  EXPECT_EQ(hm.SplitHeaderList("Single: ", out), 1);
  EXPECT_EQ(hm.SplitHeaderList("Absent: ", out), 0);
  EXPECT_TRUE(out.empty());
}

TEST(GetAttachments, WholeLinesOfTheHeaderBlockIncludingTheLast) {
  THeaderManager hm;
  Lines out = {"kept"};
  Lines headerOnly = {"Attachment: a.txt", " folded", "attachment: lower.txt", "Subject: s",
                      "Attachment: last.zip"};
  EXPECT_EQ(hm.GetAttachments(out, &headerOnly), 3);
  EXPECT_EQ(out, (Lines{"kept", "Attachment: a.txt", "Attachment: last.zip"}));
  Lines withBody = {"Attachment: in.txt", "", "Attachment: body.txt"};
  out.clear();
  EXPECT_EQ(hm.GetAttachments(out, &withBody), 1);
}
