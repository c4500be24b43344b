#include "exercise.h"

#include <algorithm>

#include "common/constants.h"
#include "msg/header_manager.h"
#include "sys/ansi.h"

namespace {
const char* const kNames[] = {"From: ", "To: ", "Cc: ", "Subject: ", "References: ",
                              "Newsgroups: ", "Followup-To: ", "Attachment: ", "X-\xFF\xAD: "};
const size_t kStampSize = 20;  // "yyyy-mm-dd hh:nn:ss "

bool HasAt(const std::string& s) { return s.find('@') != std::string::npos; }

std::string CheckAddresses(const Lines& out, const char* what) {
  for (size_t i = 0; i < out.size(); ++i) {
    if (!HasAt(out[i])) return std::string(what) + ": entry without @";
    for (size_t j = 0; j < i; ++j)
      if (AnsiSameText(out[i], out[j])) return std::string(what) + ": duplicate entry";
  }
  return "";
}

std::string CheckField(THeaderManager& hm, Lines& message, const std::string& name) {
  const int end = hm.HeaderEnd();
  const int at = hm.FindHeader(name);
  if (at >= end) return "FindHeader past the header block: " + name;
  if (hm.HasHeader(name) != (at >= 0)) return "HasHeader disagrees: " + name;
  const std::string field = hm.GetHeaderField(name);
  if (at >= 0) {
    const std::string& line = message[at];
    if (AnsiLowerCase(line.substr(0, name.size())) != AnsiLowerCase(name))
      return "FindHeader found another name: " + name;
    if (field.compare(0, line.size(), line) != 0) return "GetHeaderField lost its line";
  } else if (!field.empty()) {
    return "GetHeaderField of an absent field";
  }
  if (hm.GetHeaderValue(name).size() > 1024) return "GetHeaderValue over 1024";
  Lines items;
  hm.SplitHeaderList(name, items);
  if (std::find(items.begin(), items.end(), "") != items.end()) return "empty list item";

  Lines copy = message;
  const int deleted = hm.DeleteHeader(name, &copy);
  hm.SetLines(&message);
  if (deleted != at) return "DeleteHeader removed another field";
  if ((at >= 0) == (copy.size() == message.size())) return "DeleteHeader count wrong";
  return "";
}

std::string CheckConsumption(THeaderManager& hm, Lines& message) {
  Lines copy = message;
  hm.SetLines(&copy);
  std::string field;
  std::string fault;
  for (size_t rounds = 0; fault.empty(); ++rounds) {
    const size_t before = copy.size();
    if (hm.ExtractFirstField(field).empty()) break;
    if (rounds > message.size() || copy.size() >= before) fault = "ExtractFirstField stalls";
  }
  hm.SetLines(&message);
  return fault;
}

std::string CheckAddressOps(THeaderManager& hm, Lines& message) {
  for (const std::string& line : message) {
    if (HasAt(hm.ExtractAddress(line)) != HasAt(line)) return "ExtractAddress lost the @";
    if (hm.DomainOf(line).size() > 1024) return "DomainOf over 1024";
  }
  Lines out;
  hm.ParseAddressList(out, LinesToText(message));
  std::string fault = CheckAddresses(out, "ParseAddressList");
  if (fault.empty()) {
    hm.GetRecipients(out);
    fault = CheckAddresses(out, "GetRecipients");
  }
  out.clear();
  const int attachments = hm.GetAttachments(out);
  if (attachments > hm.HeaderEnd()) return "GetAttachments past the header block";
  for (const std::string& line : out)
    if (line.compare(0, 12, "Attachment: ") != 0) return "GetAttachments took another line";
  return fault;
}

std::string CheckReplies(THeaderManager& hm, Lines& message) {
  std::string text;
  if (hm.GetRemailDestination(text).size() > 255) return "destination over 255";
  const std::string size = MarkAD + std::to_string(LinesToText(message).size());
  for (const std::string& summary : {hm.OutboundSummary(), hm.InboundSummary()}) {
    if (summary.size() < kStampSize + 5 + size.size()) return "summary too short";
    const std::string head = summary.substr(kStampSize, 5);
    if (head != "->" + MarkA9 + "S" + MarkAD && head != "<-" + MarkA8 + "N" + MarkAD)
      return "summary head wrong";
    if (summary.compare(summary.size() - size.size(), size.size(), size) != 0)
      return "summary size wrong";
  }
  const std::string chain = hm.ReferenceChain(true);
  if (chain.find("><") != std::string::npos || chain.find('\r') != std::string::npos)
    return "ReferenceChain not split";
  const std::string groups = hm.FollowupGroups();
  if (groups.find(" ,") != std::string::npos || groups.find(", ") != std::string::npos)
    return "FollowupGroups kept blanks";
  for (const char* kind : {"References:", "Newsgroups:", "To:", "Subject:", "Other:"}) {
    const std::string field = hm.ReplyField(kind, text);
    if (field != text) return "ReplyField output differs";
    if (!field.empty() && field.compare(field.size() - 2, 2, "\r\n") != 0)
      return std::string("ReplyField without line end: ") + kind;
  }
  return "";
}
}  // namespace

std::string ExerciseAll(Lines message) {
  // The editing operations get copies of their own, so that every check sees
  // the whole message.
  THeaderManager hm(&message);
  std::vector<std::string> names(std::begin(kNames), std::end(kNames));
  if (!message.empty()) names.push_back(THeaderManager::HeaderNameOf(message[0]));
  for (const std::string& name : names) {
    const std::string fault = CheckField(hm, message, name);
    if (!fault.empty()) return fault;
  }
  for (auto check : {CheckConsumption, CheckAddressOps, CheckReplies}) {
    const std::string fault = check(hm, message);
    if (!fault.empty()) return fault;
  }
  return "";
}

Lines SplitIntoLines(const std::string& bytes) {
  Lines lines;
  size_t start = 0;
  for (size_t lf; (lf = bytes.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(bytes.substr(start, lf - start));
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}
