// The destination as the client reads it. The client is an ANSI program: it
// reads "AppDir" in the code page and opens its files through the ANSI
// functions, where a letter outside the code page becomes a question mark. A
// folder whose name fits the code page is given to it as it is; one that
// does not, in its short (8.3) form, which the volume makes of letters that
// fit. Without short names there is no form the client could read.
#pragma once
#include <cstddef>
#include <string>

// The form of folder the client can read (UTF-8 that converts exactly to the
// code page): folder itself, or the short form of the existing folder. False
// when there is none.
bool ClientFolderOf(const std::string& folder, std::string* clientForm);

// Before folder is made: whether the client will be able to read it once it
// is, and at most how many bytes its path will then take. What is still to be
// made is judged by a probe folder of such a name, made and removed at once.
bool ClientWillRead(const std::string& folder, size_t* longest);

// The refusal: "Corvaline cannot use the folder <folder>: ..."
std::string UnreadableFolderText(const std::string& folder);
