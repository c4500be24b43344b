#include "ui/application.h"

#include <commctrl.h>

#include "sys/exception.h"
#include "sys/message_pump.h"
#include "ui/form.h"
#include "ui/message_box.h"

namespace ui {

namespace {
std::string& TitleText() {
  static std::string title = "Corvaline";
  return title;
}
Form*& Main() {
  static Form* form = nullptr;
  return form;
}
}  // namespace

void Application::Initialize() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // Registers the RichEdit20W class for the life of the program.
  static HMODULE richEdit = LoadLibraryA("riched20.dll");
  (void)richEdit;
  // Long work that processes pending messages keeps the keyboard working too.
  SetMessageFilter(&Application::TranslateDialogMessage);
}

void Application::SetTitle(const std::string& title) { TitleText() = title; }

const std::string& Application::Title() { return TitleText(); }

void Application::SetMainForm(Form* form) { Main() = form; }

Form* Application::MainForm() { return Main(); }

void Application::Run() {
  if (!Main()) return;
  try {
    Main()->Show();
  } catch (const std::exception& e) {
    ShowException(e);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!TranslateDialogMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Application::ShowException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  MsgBox(GetActiveWindow(), error.what(), Title(), BoxKind::Error);
}

bool Application::TranslateDialogMessage(MSG& msg) {
  Form* form = Form::FromHandle(msg.hwnd);
  return form && IsDialogMessageW(form->Handle(), &msg);
}

void Application::ProcessMessages() { ::ProcessMessages(); }

}  // namespace ui
