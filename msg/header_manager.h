// Reads and edits the header of one mail or news message held as a list of
// lines (no line ends). The header is the run of lines up to the first empty
// line; a field is "Name: value" followed by continuation lines that start
// with a blank or a tab. Header names are passed with their ": ".
//
// Operations that take an optional list as their last argument attach it
// (it stays attached) before they run; without one they use the list attached
// earlier. The manager never owns the list. With no list attached at all,
// every operation sees an empty message.
#pragma once
#include <string>

#include "sys/lines.h"

// The reply address of a message that carries its real one, disguised, in an
// "Author-Address: " field.
extern const char AuthorAddressMarker[];

class THeaderManager {
 public:
  explicit THeaderManager(Lines* lines = nullptr);

  Lines* SetLines(Lines* lines);
  // The attached list, or nullptr.
  Lines* GetLines() const { return lines_; }
  // The number of lines the list had when the constructor attached it.
  int LineCount() const { return line_count_; }

  // Field lookup and removal (header block only).
  int FindHeader(const std::string& name, Lines* lines = nullptr);
  bool HasHeader(const std::string& name, Lines* lines = nullptr);
  std::string GetHeaderField(const std::string& name, Lines* lines = nullptr);
  std::string GetHeaderValue(const std::string& name, Lines* lines = nullptr);
  int DeleteHeader(const std::string& name, Lines* lines = nullptr);
  int HeaderEnd();
  // Removes the first field from the front of the list and returns it (also
  // through field); empty at the end of the header.
  std::string ExtractFirstField(std::string& field);
  static std::string HeaderNameOf(const std::string& text);

  // Addresses.
  std::string ExtractAddress(const std::string& text, Lines* lines = nullptr);
  std::string DomainOf(const std::string& address, Lines* lines = nullptr);
  int ParseAddressList(Lines& out, const std::string& text, Lines* lines = nullptr);
  int GetRecipients(Lines& out, Lines* lines = nullptr);
  int SplitHeaderList(const std::string& name, Lines& out, Lines* lines = nullptr);
  int GetAttachments(Lines& out, Lines* lines = nullptr);

  // Replies and summaries.
  std::string GetRemailDestination(std::string& destination, Lines* lines = nullptr);
  std::string OutboundSummary(Lines* lines = nullptr);
  std::string InboundSummary(Lines* lines = nullptr);
  std::string ReferenceChain(bool chain);
  std::string FollowupGroups();
  // One reply header field ("References:", "Newsgroups:", "To:" or
  // "Subject:"), every line ended by CR LF; also returned through field.
  std::string ReplyField(const std::string& kind, std::string& field);

 private:
  // The attached list or an empty one; attaches lines first when given.
  const Lines& View(Lines* lines = nullptr);
  std::string Summary(const std::string& address, const char* arrow, const std::string& mark,
                      const char* letter);

  int line_count_ = 0;
  Lines* lines_ = nullptr;
};
