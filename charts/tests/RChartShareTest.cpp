// Charts that show one item list (UseDataOf): the refusals in the message-box log, the group with
// its master, one store for all members, leaving and destroying members, and the repaint of the
// group after ShowGraf.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "RChartTesting.h"
#include "Testing.h"

using namespace qelta;
using qelta::testing::TTestChart;

namespace {

std::vector<std::string> Messages(const TScriptedUser& user) {
  std::vector<std::string> texts;
  for (const TDialogLogEntry& e : user.MessageLog()) texts.push_back(StringToUtf8(e.Kind + u": " + e.Text));
  return texts;
}

}  // namespace

TEST(RChartShare, TheThreeRefusalsShowAnInformationBoxAndChangeNothing) {
  TScriptedUser user;
  TTestChart m, u1, u2, u3, u4, fifth, other;
  m.SetUseDataOf(&m);
  for (TTestChart* u : {&u1, &u2, &u3, &u4}) u->SetUseDataOf(&m);
  m.SetUseDataOf(&other);
  fifth.SetUseDataOf(&m);
  EXPECT_EQ(Messages(user), (std::vector<std::string>{
                                "ShowMessage: RChart: Cannot share data with myself",
                                "ShowMessage: RChart: Cannot use foreign data. Other RCharts are using my own data.",
                                "ShowMessage: RChart: Max. number of data shares exceeded"}));
  EXPECT_EQ(m.UseDataOf(), nullptr);
  EXPECT_EQ(fifth.UseDataOf(), nullptr);
  EXPECT_EQ(m.DataUsersNum(), 4);
  EXPECT_EQ(m.DataUser(3), &u4);
  EXPECT_EQ(m.DataUser(4), nullptr);
  EXPECT_EQ(m.DataUser(-1), nullptr);
}

TEST(RChartShare, AChartAskingForAUsersDataSharesWithThatUsersMaster) {
  TTestChart a, b, c;
  b.SetUseDataOf(&a);
  c.SetUseDataOf(&b);
  EXPECT_EQ(c.UseDataOf(), &a);
  EXPECT_EQ(a.DataUsersNum(), 2);
  // Asking again, through another user of the same master, leaves the list as it is.
  b.SetUseDataOf(&c);
  EXPECT_EQ(a.DataUser(0), &b);
  EXPECT_EQ(a.DataUser(1), &c);
  // Moving to another master leaves the old one's list.
  TTestChart d;
  b.SetUseDataOf(&d);
  EXPECT_EQ(a.DataUsersNum(), 1);
  EXPECT_EQ(a.DataUser(0), &c);
  EXPECT_EQ(d.DataUser(0), &b);
}

TEST(RChartShare, ItemsDrawnOnAnyMemberAreSeenByAllWithTheSameCounts) {
  TTestChart a, b, c;
  a.MarkAt(1, 1, 3);  // dropped: a user shows its master's items, not its own
  b.MarkAt(1, 1, 3);
  b.SetUseDataOf(&a);
  c.SetUseDataOf(&a);
  EXPECT_EQ(b.NumItems(), 1);
  b.MarkAt(2, 2, 3);
  b.Line(0, 0, 1, 1);
  for (TTestChart* x : {&a, &b, &c}) {
    EXPECT_EQ(x->NumItems(), 3);
    EXPECT_EQ(x->GetItemCount(tkMarkAt), 2);
    EXPECT_EQ(x->GetItemCount(tkLine), 1);
    EXPECT_EQ(&x->ItemStore(), &a.ItemStore());
  }
  c.RemoveLastItem();
  EXPECT_EQ(a.GetItemCount(tkLine), 0);
  a.ClearGraf();
  EXPECT_EQ(b.NumItems(), 0);
  EXPECT_EQ(c.GetItemCount(tkNone), 0);
}

TEST(RChartShare, AUserAppendsPastTheMastersAllocationIntoTheOneStore) {
  // Regression: sharing copied the storage and the counts but not the allocated count, so a user
  // appended past the storage it shared.
  TTestChart a, b;
  a.SetAllocSize(1);
  b.SetAllocSize(1);
  b.SetUseDataOf(&a);
  a.MarkAt(0, 0, 3);
  for (int i = 0; i < 5; ++i) b.MarkAt(i, i, 3);
  EXPECT_EQ(a.NumItems(), 6);
  EXPECT_EQ(a.NumAllocated(), 6);
  EXPECT_EQ(b.NumAllocated(), 6);
  EXPECT_EQ(a.GetChartItem(5).x, 4);
}

TEST(RChartShare, AUserThatLeavesKeepsAPrivateCopy) {
  // Regression: a chart that stopped sharing kept writing into its former master's list.
  TTestChart a, b;
  b.SetUseDataOf(&a);
  for (int i = 0; i < 3; ++i) a.MarkAt(i, i, 3);
  b.EnablePainting();
  b.SetUseDataOf(nullptr);
  EXPECT_EQ(b.Paints, 1);  // the repaint rule
  EXPECT_EQ(b.UseDataOf(), nullptr);
  EXPECT_EQ(a.DataUsersNum(), 0);
  EXPECT_EQ(b.NumItems(), 3);
  EXPECT_NE(&b.ItemStore(), &a.ItemStore());
  b.MarkAt(9, 9, 3);
  EXPECT_EQ(a.NumItems(), 3);
  a.ClearGraf();
  EXPECT_EQ(b.NumItems(), 4);
  b.SetUseDataOf(nullptr);  // already free: nothing
  EXPECT_EQ(b.Paints, 1);
}

TEST(RChartShare, DestroyingTheMasterLeavesEachUserAPrivateCopy) {
  // Regression: the users kept pointers to the destroyed master.
  auto a = std::make_unique<TTestChart>();
  TTestChart b, c;
  b.SetUseDataOf(a.get());
  c.SetUseDataOf(a.get());
  a->MarkAt(1, 1, 3);
  a->MarkAt(2, 2, 3);
  a.reset();
  for (TTestChart* u : {&b, &c}) {
    EXPECT_EQ(u->UseDataOf(), nullptr);
    EXPECT_EQ(u->NumItems(), 2);
  }
  b.MarkAt(3, 3, 3);
  EXPECT_EQ(c.NumItems(), 2);
  b.SetUseDataOf(&c);  // free again: may share anew
  EXPECT_EQ(b.NumItems(), 2);
}

TEST(RChartShare, DestroyingAUserTakesItOffItsMastersList) {
  TTestChart a, b, d;
  auto c = std::make_unique<TTestChart>();
  for (TTestChart* u : {&b, c.get(), &d}) u->SetUseDataOf(&a);
  c->MarkAt(1, 1, 3);
  c.reset();
  EXPECT_EQ(a.DataUsersNum(), 2);
  EXPECT_EQ(a.DataUser(0), &b);
  EXPECT_EQ(a.DataUser(1), &d);
  EXPECT_EQ(a.DataUser(2), nullptr);
  EXPECT_EQ(a.NumItems(), 1);
  a.EnablePainting();
  b.ShowGraf();  // the group's repaint reaches only living members
  EXPECT_EQ(a.Paints, 1);
}

TEST(RChartShare, ShowGrafRepaintsTheOtherMembersByTheirRepaintRule) {
  TTestChart a, b, c;
  b.SetUseDataOf(&a);
  c.SetUseDataOf(&a);
  for (TTestChart* x : {&a, &b, &c}) x->EnablePainting();
  c.SetAutoRedraw(false);
  b.MarkAt(0.5, 0.5, 9);
  b.ShowGraf();
  EXPECT_EQ((std::vector<int>{a.Paints, b.Paints, c.Paints}), (std::vector<int>{1, 0, 0}));
  a.ShowGraf();
  EXPECT_EQ((std::vector<int>{a.Paints, b.Paints, c.Paints}), (std::vector<int>{1, 1, 0}));
  c.Design(true);
  a.ShowGraf();
  EXPECT_EQ((std::vector<int>{a.Paints, b.Paints, c.Paints}), (std::vector<int>{1, 2, 1}));
  // An invisible member is not drawn itself, but the others still repaint.
  b.SetVisible(false);
  b.ShowGraf();
  EXPECT_EQ((std::vector<int>{a.Paints, b.Paints, c.Paints}), (std::vector<int>{2, 2, 2}));
}
