// The program's application object: initialisation, the main form, the
// message loop and the standard display of errors.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

namespace ui {

class Form;

class Application {
 public:
  // Common controls 6 and RichEdit 2.0.
  static void Initialize();
  static void SetTitle(const std::string& title);
  static const std::string& Title();
  static void SetMainForm(Form* form);
  static Form* MainForm();
  // Shows the main form and runs the message loop until it closes.
  static void Run();
  // The standard error display: a message box with the error's text; nothing
  // for EAbort.
  static void ShowException(const std::exception& error);
  // Keyboard navigation of forms (Tab, Enter, Escape, mnemonics); true when
  // the message was handled.
  static bool TranslateDialogMessage(MSG& msg);
  // Handles every pending window message and returns.
  static void ProcessMessages();
};

}  // namespace ui
