#include "tests/sys_win/link_reader.h"

#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "sys/handle.h"

::testing::AssertionResult ReadShellLink(const std::string& file, ShellLinkFields* out) {
  ComScope com;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.ReceiveVoid())))
    return ::testing::AssertionFailure() << "no link object";
  ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.ReceiveVoid())))
    return ::testing::AssertionFailure() << "no IPersistFile";
  std::wstring wide(file.begin(), file.end());
  if (FAILED(persist->Load(wide.c_str(), STGM_READ)))
    return ::testing::AssertionFailure() << "cannot load " << file;
  char buffer[1024];
  buffer[0] = 0;
  link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
  out->path = buffer;
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, sizeof buffer);
  out->workingDir = buffer;
  buffer[0] = 0;
  link->GetDescription(buffer, sizeof buffer);
  out->description = buffer;
  buffer[0] = 0;
  link->GetIconLocation(buffer, sizeof buffer, &out->iconIndex);
  out->iconFile = buffer;
  buffer[0] = 0;
  link->GetArguments(buffer, sizeof buffer);
  out->arguments = buffer;
  return ::testing::AssertionSuccess();
}
