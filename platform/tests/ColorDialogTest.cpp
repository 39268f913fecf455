// The colour dialog answered by script.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Dialogs.h"
#include "Testing.h"

using namespace qelta;

TEST(TColorDialog, TakesAScriptedColourOrStaysOnCancel) {
  TScriptedUser user;
  TColorDialog dialog(nullptr);
  dialog.SetColor(clRed);
  user.AnswerNextColorDialog(0x123456);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), 0x123456);
  EXPECT_FALSE(dialog.Execute());  // nothing scripted: cancelled
  EXPECT_EQ(dialog.Color(), 0x123456);
  user.AnswerNextDialog(u"TColorDialog", TCommonDialogAnswer::Fail(0x3002));
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0x3002u);
  ASSERT_EQ(user.MessageLog().size(), 3u);
  EXPECT_EQ(user.MessageLog()[0].Kind, u"TColorDialog");
  EXPECT_EQ(user.MessageLog()[0].Text, u"clRed");
  EXPECT_EQ(user.MessageLog()[0].Answer, mrOk);
  EXPECT_EQ(user.MessageLog()[1].Text, u"$00123456");
  EXPECT_EQ(user.MessageLog()[1].Answer, mrCancel);
}
