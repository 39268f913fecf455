// TUnivSaveDialog with the host's steps and with the standard dialog answered by the scripted user.

#include <gtest/gtest.h>

#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_filesys.h"
#include "Testing.h"

using namespace qelta;

namespace {

class UnivSaveDialogTest : public ::testing::Test {
 protected:
  UnivSaveDialogTest() { dialog.SetName(u"Save1"); }
  /// Host steps: every selection answers `action` with the next name of `names`.
  void HostSelects(TModalResult action, std::vector<String> names) {
    dialog.SetUseStandardDialog(false);
    dialog.OnFileSelect = [this, action, names](TObject*, const String&, TModalResult& a, String& name) {
      proposed.push_back(name);
      a = action;
      name = names[std::min(proposed.size(), names.size()) - 1];
    };
  }
  void Replies(std::vector<TModalResult> replies) {
    dialog.OnOverwrite = [this, replies](TObject*, const String&, TModalResult& r) {
      EXPECT_EQ(r, mrNo);  // the reply starts as No
      r = replies[std::min(asked++, replies.size() - 1)];
    };
  }
  TScriptedUser user;
  TUnivSaveDialog dialog{nullptr};
  std::vector<String> proposed;
  std::size_t asked = 0;
};

TEST_F(UnivSaveDialogTest, HostStepsMustBeAssigned) {
  dialog.SetUseStandardDialog(false);
  EXPECT_THROW_MSG(dialog.Execute(), EQeltaFileSysError, "Component \"Save1\": File select dialog is not assigned");
  HostSelects(mrOk, {u"a.txt"});
  dialog.OnFileCheck = [](TObject*, const String&, bool& exists) { exists = true; };
  EXPECT_THROW_MSG(dialog.Execute(), EQeltaFileSysError, "Component \"Save1\": Overwrite dialog is not assigned");
}

TEST_F(UnivSaveDialogTest, WithoutAFileCheckNothingIsAskedAbout) {
  HostSelects(mrOk, {u"store:item 1"});
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"store:item 1");
  HostSelects(mrCancel, {u"other"});
  EXPECT_FALSE(dialog.Execute());
}

TEST_F(UnivSaveDialogTest, AnswersNoNoYesMakeThreeSelections) {
  HostSelects(mrOk, {u"one", u"two", u"three"});
  dialog.SetFileName(u"start");
  dialog.OnFileCheck = [](TObject*, const String&, bool& exists) { exists = true; };
  Replies({mrNo, mrNo, mrYes});
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(proposed, (std::vector<String>{u"start", u"one", u"two"}));  // the current name proposed again
  EXPECT_EQ(dialog.FileName(), u"three");
}

TEST_F(UnivSaveDialogTest, OverwriteRepliesOtherThanYesNoCancelRaise) {
  HostSelects(mrOk, {u"x"});
  dialog.OnFileCheck = [](TObject*, const String&, bool& exists) { exists = true; };
  Replies({mrCancel});
  EXPECT_FALSE(dialog.Execute());
  asked = 0;
  Replies({mrOk});
  EXPECT_THROW_MSG(dialog.Execute(), EQeltaFileSysError,
                   "Component \"Save1\": Invalid reply argument from overwrite dialog");
}

TEST_F(UnivSaveDialogTest, TheStandardDialogForcesTheExtensionOnAChosenName) {
  dialog.SetParameters(u"filter=\"CSV|*.csv\" ext=\"csv\" caption=\"Export\" initialdir=\"/data\"");
  dialog.SetFileName(u"proposed");
  user.AnswerNextSaveDialog(u"d/report.final.txt");
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"d/report.csv");
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Kind, u"TSaveDialog");
  EXPECT_EQ(user.MessageLog()[0].Caption, u"Export");
  EXPECT_EQ(user.MessageLog()[0].Text, u"proposed");
  EXPECT_FALSE(dialog.Execute());  // unanswered: cancelled, the name left as it was
  EXPECT_EQ(dialog.FileName(), u"d/report.csv");
}

TEST_F(UnivSaveDialogTest, TheStandardDialogChecksTheDiskAndAsksUntilYes) {
  test::TempDir dir;
  dir.Put("a.txt", "");
  dir.Put("b.txt", "");
  dir.Put("c.txt", "");
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) user.AnswerNextSaveDialog(dir / n);
  bool checked = false;
  dialog.OnFileCheck = [&](TObject*, const String&, bool&) { checked = true; };
  Replies({mrNo, mrNo, mrYes});
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), dir / "c.txt");
  EXPECT_FALSE(checked);  // the host's check is for its own store only
  ASSERT_EQ(user.MessageLog().size(), 3u);
  EXPECT_EQ(user.MessageLog()[2].Text, dir / "b.txt");
  user.AnswerNextSaveDialog(dir / "new.txt");
  EXPECT_TRUE(dialog.Execute());  // does not exist: no question
  EXPECT_EQ(asked, 3u);
}

TEST_F(UnivSaveDialogTest, AFailingStandardDialogRaisesItsCode) {
  user.AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Fail(0x3002));
  EXPECT_THROW_MSG(dialog.Execute(), EQeltaFileSysError,
                   "Component \"Save1\": Error in standard dialog (errnum = $3002).");
  user.AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Fail(0xA));
  EXPECT_THROW_MSG(dialog.Execute(), EQeltaFileSysError,
                   "Component \"Save1\": Error in standard dialog (errnum = $000A).");
}

TEST_F(UnivSaveDialogTest, ParametersAreReadAsTextAndNumbers) {
  dialog.SetParameters(u"width=\"12px\" scale=\"2,5E1\" empty=\"\" title=\"A B\"");
  EXPECT_EQ(dialog.ExtractParamAsString(u"TITLE"), u"A B");
  EXPECT_EQ(dialog.ExtractParamAsString(u"none"), u"");
  EXPECT_EQ(dialog.ExtractParamAsInt(u"width"), 12);
  EXPECT_DOUBLE_EQ(dialog.ExtractParamAsDouble(u"scale"), 25.0);
  EXPECT_THROW_MSG(dialog.ExtractParamAsInt(u"height"), EQeltaFileSysError,
                   "Component \"Save1\": height is not specified in property Parameters");
  EXPECT_THROW_MSG(dialog.ExtractParamAsDouble(u"empty"), EQeltaFileSysError,
                   "Component \"Save1\": empty is not specified in property Parameters");
}

}  // namespace
