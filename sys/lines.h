// Lists of lines: the ordered lists of texts that hold rich-text and memo
// contents, message templates and database line records.
#pragma once
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Every line followed by CR LF; an empty list gives the empty text.
std::string LinesToText(const Lines& lines);
// One line per line of text: a line ends at CR, LF or CR LF; the text ends at
// its first NUL; a last line without an end counts; nothing follows a final end.
Lines TextToLines(const std::string& text);
// Index of the first line equal to s ignoring case, or -1.
int IndexOfText(const Lines& lines, const std::string& s);
