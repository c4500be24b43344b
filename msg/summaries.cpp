// One-line summaries of an outgoing and of an incoming message, as the
// client's message logs list them: time stamp, direction, mark, then the
// address, subject and size separated by MarkAD.
#include <string>

#include "msg/clock.h"
#include "msg/header_manager.h"
#include "msg/header_text.h"
#include "msg/marks.h"

std::string THeaderManager::Summary(const std::string& address, const char* arrow,
                                    const std::string& mark, const char* letter) {
  // A folded subject must not break the one-line summary.
  std::string subject = RemoveLineBreaks(GetHeaderValue("Subject: "));
  if (subject.empty()) subject = "Re:";
  const std::string size = std::to_string(LinesToText(View()).size());
  return FormatTimeStamp(ClockNow()) + arrow + mark + letter + MarkAD + address + MarkAD +
         subject + MarkAD + size;
}

std::string THeaderManager::OutboundSummary(Lines* lines) {
  View(lines);
  std::string destination;
  return Summary(ExtractAddress(GetRemailDestination(destination)), "->", MarkA9, "S");
}

std::string THeaderManager::InboundSummary(Lines* lines) {
  View(lines);
  return Summary(ExtractAddress(GetHeaderValue("From: ")), "<-", MarkA8, "N");
}
