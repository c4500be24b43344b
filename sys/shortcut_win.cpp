#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>

#include <vector>

#include "sys/ansi.h"
#include "sys/handle.h"
#include "sys/shortcut.h"

namespace {
// The three ids in use, written out: libuuid would bring several thousand
// others along.
constexpr CLSID kShellLinkClass = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kShellLinkA = {0x000214ee, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

// The link file's name in UTF-16 through the ANSI code page, at its full length
// (a fixed MAX_PATH buffer would cut longer names).
std::vector<wchar_t> WideName(const std::string& name) {
  int n = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), n);
  return wide;
}

std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

int32_t CreateShortcut(const std::string& target, const std::string& linkFile,
                       const std::string& iconFile, const std::string& description,
                       const std::string& arguments) {
  ComScope com;  // its own result does not matter: creation below reports
  ComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA,
                                link.ReceiveVoid());
  if (FAILED(hr)) return hr;

  // The setters' results are not examined: Save reports what matters.
  link->SetPath(target.c_str());
  link->SetDescription(description.c_str());
  link->SetWorkingDirectory(AnsiLowerCase(FolderPart(target)).c_str());
  link->SetIconLocation(iconFile.c_str(), 0);
  if (!arguments.empty()) link->SetArguments(arguments.c_str());

  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(kPersistFile, file.ReceiveVoid());
  if (FAILED(hr)) return hr;
  return file->Save(WideName(linkFile).data(), TRUE);
}
