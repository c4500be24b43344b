#include <gtest/gtest.h>

#include "msg/header_manager.h"

namespace {
std::string Reply(Lines lines, const std::string& kind) {
  THeaderManager hm(&lines);
  std::string field = "stale";
  const std::string result = hm.ReplyField(kind, field);
  EXPECT_EQ(field, result);
  return result;
}
}  // namespace

TEST(GetRemailDestination, FirstLineWithAnyNonEmptyDestinationDecides) {
  THeaderManager hm;
  std::string dest;
  Lines toFirst = {"Subject: s", "To: first@example.org", "Anon-To: second@example.org"};
  EXPECT_EQ(hm.GetRemailDestination(dest, &toFirst), "first@example.org");
  EXPECT_EQ(dest, "first@example.org");
  Lines emptyTo = {"To: ", "To:", "to: lower@example.org", "  Anon-To: anon@example.org  "};
  EXPECT_EQ(hm.GetRemailDestination(dest, &emptyTo), "anon@example.org");
  // Body lines count, and every name is known.
  for (const char* name : {"Request-Remailing-To: ", "Anon-Post-To: ", "Post-To: "}) {
    Lines inBody = {"From: me@example.org", "", std::string(name) + "alt.test"};
    EXPECT_EQ(hm.GetRemailDestination(dest, &inBody), "alt.test") << name;
  }
  Lines none = {"From: me@example.org", "", "Xto: a@b"};
  EXPECT_EQ(hm.GetRemailDestination(dest, &none), "");
  Lines longValue = {"Anon-To: " + std::string(300, 'a')};
  EXPECT_EQ(hm.GetRemailDestination(dest, &longValue), std::string(255, 'a'));
}

TEST(ReferenceChain, OneReferencePerLineAndTheChainMarkForTwoOrMore) {
  Lines lines = {"References:  <a@x>  <b@y>\t<c@z>", " <d@w> ", "Chain: yes"};
  THeaderManager hm(&lines);
  const std::string four = "<a@x>\n <b@y>\n <c@z>\n <d@w>";
  EXPECT_EQ(hm.ReferenceChain(false), four);
  EXPECT_EQ(hm.ReferenceChain(true), four + "\n <>");
  Lines one = {"References: <a@x>", "Chain: yes"};
  hm.SetLines(&one);
  EXPECT_EQ(hm.ReferenceChain(true), "<a@x>");
  Lines noChain = {"References: <a@x><b@y>"};
  hm.SetLines(&noChain);
  EXPECT_EQ(hm.ReferenceChain(true), "<a@x>\n <b@y>");
  Lines blank = {"References:    "};
  hm.SetLines(&blank);
  EXPECT_EQ(hm.ReferenceChain(true), "");
}

TEST(ReplyField, ReferencesEndWithTheMessagesOwnId) {
  EXPECT_EQ(Reply({"References: <a@x> <b@y>", "Message-ID: <m@z>"}, "References:"),
            "References: <a@x>\r\n <b@y>\r\n <m@z>\r\n");
  EXPECT_EQ(Reply({"Message-ID: <m@z>"}, " References: "), "References: <m@z>\r\n");
}

TEST(ReplyField, NewsgroupsFromFollowupToOrNewsgroupsOneGroupALine) {
  EXPECT_EQ(Reply({"Newsgroups: alt.x", "Followup-To: alt.a , alt.b"}, "Newsgroups:"),
            "Newsgroups: alt.a,\r\n alt.b\r\n");
  EXPECT_EQ(Reply({"Followup-To: ", "Newsgroups: alt.x,alt.y,\talt.z"}, "Newsgroups:"),
            "Newsgroups: alt.x,\r\n alt.y,\r\n alt.z\r\n");
  EXPECT_EQ(Reply({"Subject: s"}, "Newsgroups:"), "Newsgroups: \r\n");
}

TEST(ReplyField, ToPrefersReplyToAndKeepsTheWholeValue) {
  EXPECT_EQ(Reply({"From: Ann <ann@x.org>", "Reply-To: \"List\" <list@x.org>"}, "To:"),
            "To: \"List\" <list@x.org>\r\n");
  EXPECT_EQ(Reply({"From: Ann <ann@x.org>", "Reply-To: "}, "To:"), "To: Ann <ann@x.org>\r\n");
  EXPECT_EQ(Reply({"Subject: s"}, "To:"), "");
}

TEST(ReplyField, AuthorAddressIsRestoredInTheMarkerCase) {
  const std::string marker = std::string("Anon <") + AuthorAddressMarker + ">";
  EXPECT_EQ(Reply({"Reply-To: " + marker,
                   "Author-Address: john <DOT> doe <AT> mail <DOT> example <AT> x"},
                  "To:"),
            "To: john.doe@mail.example <AT> x \r\n");
  // Without the field only the added blank is left.
  EXPECT_EQ(Reply({"From: " + marker}, "To:"), "To:  \r\n");
  // The marker compares exactly.
  EXPECT_EQ(Reply({"From: AUTHOR-ADDRESS@[127.0.0.1]", "Author-Address: a <AT> b"}, "To:"),
            "To: AUTHOR-ADDRESS@[127.0.0.1]\r\n");
}

TEST(ReplyField, SubjectGetsReUnlessItAlreadyHasIt) {
  EXPECT_EQ(Reply({"Subject: RE: hi"}, "Subject:"), "Subject: RE: hi\r\n");
  EXPECT_EQ(Reply({"Subject: Regarding"}, "Subject:"), "Subject: Re: Regarding\r\n");
  EXPECT_EQ(Reply({"Subject: Re:x"}, "Subject:"), "Subject: Re: Re:x\r\n");
  EXPECT_EQ(Reply({"From: a@b"}, "Subject:"), "Subject: Re: \r\n");
  EXPECT_EQ(Reply({"Subject: a", " b"}, "Subject:"), "Subject: Re: a\r\n b\r\n");
}

TEST(ReplyField, OtherWordsAndOtherLetterCasesGiveNothing) {
  for (const char* kind : {"subject:", "TO:", "References", "From:", "", "Newsgroups: x"})
    EXPECT_EQ(Reply({"Subject: s", "To: a@b", "Newsgroups: n"}, kind), "") << kind;
}
