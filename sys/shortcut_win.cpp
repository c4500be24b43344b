#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>

#include <vector>

#include "sys/handle.h"
#include "sys/shortcut.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"

namespace {
// The three ids in use, written out: libuuid would bring several thousand
// others along.
constexpr CLSID kShellLinkClass = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kShellLinkW = {0x000214f9, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

int32_t CreateShortcut(const std::string& target, const std::string& linkFile,
                       const std::string& iconFile, const std::string& description,
                       const std::string& arguments) {
  ComScope com;  // its own result does not matter: creation below reports
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW,
                                link.ReceiveVoid());
  if (FAILED(hr)) return hr;

  // The setters' results are not examined: Save reports what matters.
  link->SetPath(Widen(target).c_str());
  link->SetDescription(Widen(description).c_str());
  link->SetWorkingDirectory(Widen(Utf8LowerCase(FolderPart(target))).c_str());
  link->SetIconLocation(Widen(iconFile).c_str(), 0);
  if (!arguments.empty()) link->SetArguments(Widen(arguments).c_str());

  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(kPersistFile, file.ReceiveVoid());
  if (FAILED(hr)) return hr;
  return file->Save(Widen(linkFile).c_str(), TRUE);
}

std::string ShortcutTarget(const std::string& linkFile) {
  ComScope com;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW,
                              link.ReceiveVoid())) ||
      FAILED(link->QueryInterface(kPersistFile, file.ReceiveVoid())) ||
      FAILED(file->Load(Widen(linkFile).c_str(), STGM_READ)))
    return std::string();
  std::vector<wchar_t> target(32768, L'\0');
  if (link->GetPath(target.data(), static_cast<int>(target.size()), nullptr, SLGP_RAWPATH) != S_OK)
    return std::string();
  return Narrow(target.data());
}
