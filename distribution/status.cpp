#include "distribution/status.h"

DistStatus DistStatus::Fail(DistError error, const char* reason) { return {error, reason}; }

DistStatus DistStatus::Fail(DistError error, std::string reason) {
  return {error, std::move(reason)};
}

DistStatus DistStatus::Fail(DistError error, const std::string& subject, const char* what) {
  return {error, subject + what};
}
