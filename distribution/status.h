// The result of every check and transfer of the distribution: what went wrong,
// as a kind the caller acts on and a reason in words for the log.
#pragma once
#include <string>

enum class DistError {
  kNone,
  kNoPayload,    // a plain program: nothing appended (the folder form)
  kDamaged,      // a list, payload or file that is not what it claims
  kReadFailed,   // the source could not be read
  kWriteFailed,  // the sink refused bytes (a full disk, a cancelled copy)
};

struct DistStatus {
  DistError error = DistError::kNone;
  std::string reason;

  bool ok() const { return error == DistError::kNone; }
  static DistStatus Ok() { return {}; }
  // Out of line, the reason joined here: setup.exe carries the reader, and
  // joining texts at every refusal would cost it kilobytes.
  static DistStatus Fail(DistError error, const char* reason);
  static DistStatus Fail(DistError error, std::string reason);
  // The reason is subject, then what: ("CV.exe", " differs from its SHA-256").
  static DistStatus Fail(DistError error, const std::string& subject, const char* what);
  static DistStatus Damaged(const char* reason) { return Fail(DistError::kDamaged, reason); }
  static DistStatus Damaged(std::string reason) {
    return Fail(DistError::kDamaged, std::move(reason));
  }
  static DistStatus Damaged(const std::string& subject, const char* what) {
    return Fail(DistError::kDamaged, subject, what);
  }
};
