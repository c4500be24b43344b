// Small chores on windows and edit controls.
#pragma once
#include <windows.h>

// Moves control so that it is centred over form, on their outer rectangles
// (halves truncated toward zero). A child window is placed in its parent's
// client coordinates.
void CenterOver(HWND control, HWND form);

// Replaces edit's selection with the clipboard's text as plain text, dropping
// any formatting. When the clipboard holds no text the edit is left alone.
void PasteAsPlainText(HWND edit);
