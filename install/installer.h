// The install's steps over one journal: every change is recorded before it
// is made, and each step checks that what it made is there.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "common/install_journal.h"
#include "common/setting_values.h"
#include "distribution/status.h"
#include "install/install.h"

class FileSink;

enum class StepResult { Done, Skipped, Failed };

class Installer {
 public:
  Installer(const InstallPlan& plan, InstallJournal& journal) : plan_(plan), journal_(journal) {}

  StepResult CopyProgramFiles();
  StepResult SaveRegistrySettings();
  StepResult StoreDefaultTemplates();
  StepResult CreateProgramGroup();
  // The entry in Settings > Apps learns what the files take now.
  StepResult UpdateEstimatedSize();
  // The record of what setup installed, which the uninstaller removes.
  StepResult WriteInstallRecord();

  // The failed step's message, as a message box would show it.
  const std::string& FailureCaption() const { return caption_; }
  const std::string& FailureMessage() const { return message_; }
  const std::string& GroupFolder() const { return groupFolder_; }
  // The failed step was a copy the volume had no room for.
  bool OutOfSpace() const { return outOfSpace_; }
  // Whether the failure was a file of the distribution that differed from its record.
  bool Damaged() const { return damaged_; }

 private:
  StepResult Fail(const std::string& caption, const std::string& message);
  // A failed copy to target of size bytes; notes whether the volume is full.
  StepResult CopyFailed(const std::string& target, uint64_t size, const std::string& message);
  // Creates folder and the parents it lacks, each recorded first.
  bool MakeFolder(const std::string& folder);
  // Copies source to target; a file already at target is kept aside for a
  // roll-back. False with the system's reason when it could not be done.
  bool PlaceCopy(const std::string& source, const std::string& target);
  // The planned file at target, from wherever it comes: a copy, the
  // payload, or bytes of its own. False with the reason in message.
  bool PlaceFile(const PlannedFile& file, const std::string& target, std::string* message);
  // An earlier file at target, replaced without a moment of being missing:
  // the new one is written beside it and renamed over it.
  bool ReplaceFile(const PlannedFile& file, const std::string& target, std::string* message);
  // Unpacks the payload's entry into target.
  DistStatus PlaceEntry(int entry, const std::string& target);
  // Copies a file of the distribution folder into target.
  DistStatus PlaceStream(const PlannedFile& file, const std::string& target);
  bool PlaceContent(const std::string& content, const std::string& target);
  bool OpenedNew(const FileSink& sink, const std::string& target);
  // Keeps the present file at target aside (if there is one) and records
  // the file about to be made there.
  bool PrepareTarget(const std::string& target);
  // Keeps a copy of path's bytes for a roll-back before it changes in place.
  bool BackUp(const std::string& path);
  // Writes the values under key, each one's state before recorded.
  bool WriteValues(const std::string& key, const SettingValues& values);
  bool CreatedByThisRun(const std::string& path) const;

  const InstallPlan& plan_;
  InstallJournal& journal_;
  std::set<std::string> created_;  // files this run made, in lower case
  std::string caption_;
  std::string message_;
  std::string groupFolder_;
  bool outOfSpace_ = false;
  bool damaged_ = false;
};
