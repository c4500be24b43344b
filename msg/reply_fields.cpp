// The header fields of a reply or follow-up to the attached message, and the
// destination of an outgoing remailer message.
#include "msg/header_manager.h"
#include "msg/header_text.h"
#include "sys/ansi.h"
#include "sys/text.h"

// Loopback literal: it can never be a deliverable address by accident.
const char AuthorAddressMarker[] = "author-address@[127.0.0.1]";

namespace {
// A remailer destination never exceeds this.
constexpr size_t kMaxDestination = 255;

// The text a string list holds after its text was set to text.
std::string AsListText(const std::string& text) { return LinesToText(TextToLines(text)); }

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The first occurrence of from replaced by to, the search starting again at
// the front each time when every is set.
std::string ReplaceFromFront(std::string text, const std::string& from, const std::string& to,
                             bool every) {
  size_t hit;
  while ((hit = text.find(from)) != std::string::npos) {
    text.replace(hit, from.size(), to);
    if (!every) break;
  }
  return text;
}
}  // namespace

std::string THeaderManager::GetRemailDestination(std::string& destination, Lines* lines) {
  static const std::string kNames[] = {"Request-Remailing-To: ", "Anon-Post-To: ", "Anon-To: ",
                                       "Post-To: ", "To: "};
  destination.clear();
  // Body lines count too: remailer requests may stand below the header.
  for (const std::string& line : View(lines)) {
    const std::string trimmed = Trim(line);
    for (const std::string& name : kNames) {
      if (!StartsWith(trimmed, name)) continue;
      destination = trimmed.substr(name.size(), kMaxDestination);
      break;
    }
    if (!destination.empty()) break;
  }
  return destination;
}

std::string THeaderManager::ReferenceChain(bool chain) {
  std::string refs = Trim(GetHeaderValue("References: "));
  if (refs.empty()) return refs;
  refs = RemoveLineBreaks(RemoveChar(refs, '\t'));
  refs = DropBlanks(DropBlanks(refs, " <"), "> ");
  // One reference a line, every line but the first indented by a blank.
  refs = ReplaceAll(refs, "><", ">\n <");
  if (chain && HasHeader("Chain: ") && refs.find('\n') != std::string::npos) refs += "\n <>";
  return refs;
}

std::string THeaderManager::FollowupGroups() {
  std::string groups = Trim(GetHeaderValue("Followup-To: "));
  if (groups.empty()) groups = Trim(GetHeaderValue("Newsgroups: "));
  groups = RemoveLineBreaks(RemoveChar(groups, '\t'));
  return DropBlanks(DropBlanks(groups, " ,"), ", ");
}

std::string THeaderManager::ReplyField(const std::string& kind, std::string& field) {
  const std::string word = Trim(kind);
  field.clear();
  if (word == "References:") {
    std::string text = AsListText(ReferenceChain(false));
    if (!text.empty()) text = AsListText(" " + text);
    text += " " + GetHeaderValue("Message-ID: ") + "\r\n";
    field = AsListText("References:" + text);
  } else if (word == "Newsgroups:") {
    field = AsListText(ReplaceAll("Newsgroups: " + FollowupGroups(), ",", ",\n "));
  } else if (word == "To:") {
    std::string to = GetHeaderValue("Reply-To: ");
    if (to.empty()) to = GetHeaderValue("From: ");
    if (ExtractAddress(to) == AuthorAddressMarker) {
      // The message names the marker instead of its author, whose address
      // travels spelled out with words for its punctuation.
      to = GetHeaderValue("Author-Address: ") + " ";
      to = ReplaceFromFront(to, " <AT> ", "@", false);
      to = ReplaceFromFront(to, " <DOT> ", ".", true);
    }
    if (!to.empty()) field = AsListText("To: " + to);
  } else if (word == "Subject:") {
    std::string subject = GetHeaderValue("Subject: ");
    if (!StartsWith(AnsiLowerCase(subject), "re: ")) subject = "Re: " + subject;
    field = AsListText("Subject: " + subject);
  }
  return field;
}
