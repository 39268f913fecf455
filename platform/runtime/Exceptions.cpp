#include "Exceptions.h"

#include "Encoding.h"

namespace qelta {

Exception::Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}

Exception::Exception(const char* utf8Message)
    : message_(Utf8ToString(utf8Message ? utf8Message : "")), utf8_(StringToUtf8(message_)) {}

void Exception::SetMessage(String message) {
  message_ = std::move(message);
  utf8_ = StringToUtf8(message_);
}

}  // namespace qelta
