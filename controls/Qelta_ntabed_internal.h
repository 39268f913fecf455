#pragma once
// Not part of the public interface: helpers the table editor's sources share.

#include "Graphics.h"
#include "Types.h"

namespace qelta::ctl_detail {

/// The corner and the memo while the comment is edited.
constexpr TColor kCommentBack = 0x808000, kCommentText = 0xFFFFFF;

/// Holds a flag at a value for a scope and gives it back its old value on every exit path.
class TFlagHold {
 public:
  TFlagHold(bool& flag, bool value) : FFlag(flag), FOld(flag) { flag = value; }
  ~TFlagHold() { FFlag = FOld; }
  TFlagHold(const TFlagHold&) = delete;
  TFlagHold& operator=(const TFlagHold&) = delete;
  bool Old() const { return FOld; }

 private:
  bool& FFlag;
  bool FOld;
};

/// A number typed into a cell or a heading: ',' read as '.', blanks around ignored, the whole text a
/// finite number. False (x untouched) for any other text.
bool ReadTypedNumber(const String& text, double& x);

}  // namespace qelta::ctl_detail
