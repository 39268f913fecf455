#pragma once
// The platform's exception classes. Implements: the root `Exception` with a 16-bit message and the
// error classes the runtime raises. Does not implement: structured exception handling of any kind.

#include <exception>
#include <string>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Root of every error the platform and the system raise.
class Exception : public std::exception {
 public:
  explicit Exception(String message);
  explicit Exception(const char* utf8Message);
  explicit Exception(const std::string& utf8Message) : Exception(utf8Message.c_str()) {}

  const String& Message() const noexcept { return message_; }
  void SetMessage(String message);
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

// Each error class is an Exception with nothing added but its type.
#define QELTA_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {                \
   public:                                  \
    using Base::Base;                       \
  };

QELTA_DECLARE_EXCEPTION(EConvertError, Exception)
QELTA_DECLARE_EXCEPTION(EMathError, Exception)
QELTA_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QELTA_DECLARE_EXCEPTION(EOutOfMemory, Exception)
QELTA_DECLARE_EXCEPTION(EStreamError, Exception)
QELTA_DECLARE_EXCEPTION(EReadError, EStreamError)
QELTA_DECLARE_EXCEPTION(EWriteError, EStreamError)
QELTA_DECLARE_EXCEPTION(EFOpenError, EStreamError)
QELTA_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QELTA_DECLARE_EXCEPTION(EListError, Exception)
QELTA_DECLARE_EXCEPTION(EVariantError, Exception)
/// The operating system refused a service (no display, no window); the message names the cause.
QELTA_DECLARE_EXCEPTION(EOSError, Exception)

/// I/O error of text files and file services, carrying the runtime's error code.
class EInOutError : public Exception {
 public:
  EInOutError(String message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  EInOutError(const char* utf8Message, int errorCode) : Exception(utf8Message), ErrorCode(errorCode) {}
  int ErrorCode = 0;
};

}  // namespace qelta

QELTA_PUBLIC_END
