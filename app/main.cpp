#include <windows.h>

#include "app/constants.h"
#include "app/role.h"
#include "sys/module_path.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Role role = SelectRole(ModuleFileName(), CommandLineArgument(GetCommandLineA(), 1));
  MessageBoxA(nullptr, role == Role::Setup ? "setup" : "uninstall", SetupTitle.c_str(), MB_OK);
  return 0;
}
