#include "tests/sys_win/link_reader.h"

#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "sys/handle.h"
#include "sys/wide.h"

::testing::AssertionResult ReadShellLink(const std::string& file, ShellLinkFields* out) {
  ComScope com;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.ReceiveVoid())))
    return ::testing::AssertionFailure() << "no link object";
  ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.ReceiveVoid())))
    return ::testing::AssertionFailure() << "no IPersistFile";
  if (FAILED(persist->Load(Widen(file).c_str(), STGM_READ)))
    return ::testing::AssertionFailure() << "cannot load " << file;
  wchar_t buffer[1024];
  buffer[0] = 0;
  link->GetPath(buffer, 1024, nullptr, SLGP_RAWPATH);
  out->path = Narrow(buffer);
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, 1024);
  out->workingDir = Narrow(buffer);
  buffer[0] = 0;
  link->GetDescription(buffer, 1024);
  out->description = Narrow(buffer);
  buffer[0] = 0;
  link->GetIconLocation(buffer, 1024, &out->iconIndex);
  out->iconFile = Narrow(buffer);
  buffer[0] = 0;
  link->GetArguments(buffer, 1024);
  out->arguments = Narrow(buffer);
  return ::testing::AssertionSuccess();
}
