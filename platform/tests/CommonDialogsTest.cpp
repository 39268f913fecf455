// Common dialogs through the headless dialog service, scripted by the scripted user.

#include <gtest/gtest.h>

#include "Dialogs.h"
#include "Testing.h"

namespace qelta {
namespace {

// A dialog of another kind, built on the same base as the save dialog: it chooses a number.
class TNumberDialog : public TCommonDialog {
 public:
  using TCommonDialog::TCommonDialog;
  int64_t Number = 0;
  String DialogKind() const override { return u"TNumberDialog"; }
  String ProposedText() const override { return u"#"; }

 protected:
  void Accept(const TCommonDialogAnswer& answer) override { Number = answer.Value; }
};

class CommonDialogsTest : public ::testing::Test {
 protected:
  TScriptedUser user;
  TSaveDialog dialog{nullptr};
};

TEST_F(CommonDialogsTest, AnUnansweredSaveDialogCancelsAndKeepsTheProposedName) {
  dialog.SetFileName(u"data.txt");
  dialog.SetTitle(u"Save data");
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"data.txt");
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  ASSERT_EQ(user.MessageLog().size(), 1u);
  const TDialogLogEntry& e = user.MessageLog()[0];
  EXPECT_EQ(e.Kind, u"TSaveDialog");
  EXPECT_EQ(e.Text, u"data.txt");
  EXPECT_EQ(e.Caption, u"Save data");
  EXPECT_EQ(e.Answer, mrCancel);
}

TEST_F(CommonDialogsTest, ScriptedAnswersAreUsedInOrderPerKind) {
  TNumberDialog numbers(nullptr);
  user.AnswerNextSaveDialog(u"/tmp/a.txt");
  user.AnswerNextDialog(u"TNumberDialog", TCommonDialogAnswer::Confirm(String(), 42));
  user.AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Cancel());
  user.AnswerNextSaveDialog(u"/tmp/c.txt");

  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"/tmp/a.txt");
  EXPECT_FALSE(dialog.Execute());  // the scripted cancel
  EXPECT_EQ(dialog.FileName(), u"/tmp/a.txt");
  EXPECT_TRUE(numbers.Execute());  // its own queue, untouched by the save dialogs
  EXPECT_EQ(numbers.Number, 42);
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"/tmp/c.txt");
  EXPECT_FALSE(numbers.Execute());  // nothing left: cancels
  EXPECT_EQ(numbers.Number, 42);
}

TEST_F(CommonDialogsTest, AFailedDialogReportsItsErrorCodeUntilTheNextDialog) {
  dialog.SetFileName(u"x");
  user.AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Fail(0x3002));
  user.AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Fail(0));
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0x3002u);
  EXPECT_EQ(dialog.FileName(), u"x");
  EXPECT_EQ(user.MessageLog().back().Flags, 0x3002u);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0xFFFFu);  // a failure always carries a code
  EXPECT_FALSE(dialog.Execute());              // unscripted: cancelled, no error
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(CommonDialogsTest, ANewSessionForgetsDialogAnswersNotUsed) {
  user.AnswerNextSaveDialog(u"left over");
  {
    TScriptedUser next;
    EXPECT_FALSE(dialog.Execute());
  }
  Application->UseVirtualClock(45292.5);
}

TEST(CommonDialogs, AServiceWithoutDialogsCancelsThem) {
  struct TBoxesOnly : TDialogService {
    int MessageBox(const String&, const String&, uint32_t) override { return IDOK; }
    TModalResult MessageDlg(const String&, TMsgDlgType, TMsgDlgButtons, int) override { return mrOk; }
    void ShowMessage(const String&) override {}
    void Beep(uint32_t) override {}
  };
  auto previous = SetDialogService(std::make_unique<TBoxesOnly>());
  TSaveDialog dialog(nullptr);
  EXPECT_FALSE(dialog.Execute());
  SetDialogService(std::move(previous));
}

}  // namespace
}  // namespace qelta
