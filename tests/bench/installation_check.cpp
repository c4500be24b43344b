#include "tests/bench/installation_check.h"

#include <windows.h>

#include "tests/e2e/session.h"

namespace bench {
namespace {

const char* const kFiles[] = {"CV.exe",     "CV.ini", "License.txt", "QuickStart.rtf",
                              "ReadMe.txt", "CV.dbc", "UninstCV.exe"};
const char* const kLinks[] = {"License.LNK", "Corvaline.LNK", "Uninstall CV.LNK", "QuickStart.LNK", "ReadMe.LNK"};
const char* const kValues[] = {"AppDir", "Version", "Program Group", "WindowState", "WindowPos", "Update"};

// Whether the client's key holds the value; a string value's text in *text.
bool ReadClientValue(const char* name, std::string* text) {
  char buffer[1024] = "";
  DWORD size = sizeof buffer;
  if (RegGetValueA(HKEY_CURRENT_USER, e2e::kClientKey, name, RRF_RT_ANY, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return false;
  *text = buffer;
  return true;
}

}  // namespace

void ExpectInstalled(const std::string& dest) {
  std::string missing;
  for (const char* file : kFiles)
    if (!e2e::FileExists(dest + "\\" + file)) missing += "\n  " + dest + "\\" + file;
  for (const char* link : kLinks)
    if (!e2e::FileExists(e2e::GroupFolder() + "\\" + link)) missing += "\n  " + e2e::GroupFolder() + "\\" + link;
  for (const char* value : kValues) {
    std::string text;
    if (!ReadClientValue(value, &text)) missing += "\n  HKCU\\" + std::string(e2e::kClientKey) + " " + value;
  }
  std::string appDir;
  if (ReadClientValue("AppDir", &appDir) && e2e::Lower(appDir) != e2e::Lower(dest))
    missing += "\n  AppDir naming " + dest + " (it names " + appDir + ")";
  if (!missing.empty()) throw automation::Failure("the installation into " + dest + " lacks:" + missing);
}

}  // namespace bench
