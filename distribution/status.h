// The result of every check and transfer of the distribution: what went wrong,
// as a kind the caller acts on and a reason in words for the log.
#pragma once
#include <string>
#include <utility>

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
  static DistStatus Fail(DistError error, std::string reason) { return {error, std::move(reason)}; }
  static DistStatus Damaged(std::string reason) { return {DistError::kDamaged, std::move(reason)}; }
};
