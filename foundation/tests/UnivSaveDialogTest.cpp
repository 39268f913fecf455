// TUnivSaveDialog with the host's steps and with the standard dialog answered by the scripted user: by a
// scripted answer, or in the dialog's own form (headless, and in a desktop window: also on Xvfb).

#include <gtest/gtest.h>

#include <vector>

#include "Assertions.h"
#include "Edits.h"
#include "FileTestKit.h"
#include "Qelta_filesys.h"
#include "Testing.h"
#include "WindowBackendTesting.h"

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

// --- the standard dialog's own form ------------------------------------------------------------

/// Runs each test headless with the dialog forms asked for (false) and with desktop windows (true: SDL's
/// offscreen driver unless the run names a display; skipped without one).
class UnivSaveDialogForm : public qelta::testing::TWindowBackendFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) TWindowBackendFixture::SetUp();
  }
};

TEST_P(UnivSaveDialogForm, APathTypedIntoTheStandardDialogComesBackInFileName) {
  TScriptedUser user;
  if (!GetParam()) user.UseDialogForms();
  test::TempDir dir;
  dir.Put("old.csv", "1");
  TUnivSaveDialog dialog(nullptr);
  dialog.SetName(u"Save1");
  dialog.SetParameters(u"filter=\"CSV|*.csv\" ext=\"csv\" caption=\"Export\" initialdir=\"" + dir / "" + u"\"");
  std::vector<String> proposed;
  auto typeIntoTheDialog = [&](const String& text) {
    user.WhenModalShows([&, text](TForm* form) {
      EXPECT_EQ(form->Caption(), u"Export");
      auto* name = dynamic_cast<TEdit*>(form->FindComponent(u"FileNameEdit"));
      ASSERT_NE(name, nullptr);
      proposed.push_back(name->Text());
      user.TypeText(text);  // over the proposed name, which is selected
      user.PressKey(VK_RETURN);
    });
  };
  typeIntoTheDialog(dir / "old.txt");         // "ext" makes it old.csv, which exists
  typeIntoTheDialog(u"report.final.txt");     // in the folder shown; "ext" makes it report.csv
  int asked = 0;
  dialog.OnOverwrite = [&](TObject*, const String& name, TModalResult& reply) {
    EXPECT_EQ(name, dir / "old.csv");
    ++asked;
    reply = mrNo;  // choose again
  };
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), dir / "report.csv");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(proposed, (std::vector<String>{u"", u"old.csv"}));  // the second time the current name is proposed
  user.WhenModalShows([&](TForm*) { user.PressKey(VK_ESCAPE); });
  EXPECT_FALSE(dialog.Execute());  // Esc: cancelled, the name stays
  EXPECT_EQ(dialog.FileName(), dir / "report.csv");
}

INSTANTIATE_TEST_SUITE_P(Where, UnivSaveDialogForm, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Window" : "Headless"; });

}  // namespace
