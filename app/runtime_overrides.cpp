// Pieces of the C++ runtime that setup.exe brings itself, each to keep a
// large part of libstdc++ out of the link (see cmake/small_binary.cmake).
// Defining a symbol here means the library's member that also defines it is
// never pulled in; should a new use need another symbol of that member, the
// link fails with a duplicate definition rather than silently growing.
#include <cstdlib>
#include <new>

#include "sys/exception.h"

// The default terminate handler prints the escaping exception's type, and its
// name demangler alone is about 46 KB. A GUI program has no console to print
// to; the library's start-up installs this one instead.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The library's own versions throw std::logic_error and its kin, which carry
// a copy-on-write string: a second std::string implementation of about 45 KB.
// Ours throw the program's Exception with the same text, so every handler
// that catches std::exception (the only kind caught for these) reports them
// as before.
namespace std {
void __throw_logic_error(const char* what) { throw Exception(what); }
void __throw_length_error(const char* what) { throw Exception(what); }
// The library's messages format sizes into this text; the text alone is
// enough to tell what went wrong.
void __throw_out_of_range_fmt(const char* what, ...) { throw Exception(what); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
}  // namespace std
