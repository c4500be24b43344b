// The toolkit's exception classes. Only the failures that are raised rather
// than returned use them: a database file that cannot be opened or created,
// a registry value of the wrong type, a failing DDE transaction.
#pragma once
#include <exception>
#include <string>

// Holds its message in a std::string of its own rather than deriving from
// std::runtime_error, whose copy-on-write string would bring a second
// implementation of std::string into the program.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A file that cannot be opened ("Cannot open file %s").
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be created ("Cannot create file %s").
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class EDdeError : public Exception {
 public:
  using Exception::Exception;
};

// The silent exception: it ends what is running, as the user asked, and the
// standard error display shows nothing for it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};
