// Qelta_rchart: charts that show one item list (UseDataOf).
//
// A chart is free, a master (one to four users) or a user; a user of a user is taken to that
// user's master, so sharing never nests. Every member of a group holds the same TrcItemStore, so an
// item appended, changed or removed through any member is seen by all at once with the same
// counts; AdjustCanInfoOfSharedCharts keeps the count of items last shown the same throughout the
// group. Refusals show an information box and change nothing.
// Deviations from the classic component, keeping what callers rely on:
//  - The classic copied the storage reference and the counts between the charts but not the
//    allocated count, so a user could append past the storage; here there is one store.
//  - A user that leaves keeps a private copy of the items it showed (it kept writing into its
//    former master's list).
//  - Members register for each other's free notification: a destroyed master leaves each user a
//    private copy of the items, a destroyed user leaves its master's list (the classic kept
//    pointers to destroyed charts).
//  - A chart asking for a user of its own master stays where it is (the classic moved it to the
//    end of the master's list).

#include <algorithm>
#include <new>
#include <utility>

#include "Dialogs.h"
#include "Qelta_rchart_internal.h"

namespace qelta {

namespace {

void Refuse(const char16_t* Message) { ShowMessage(Message); }

}  // namespace

TCustomRChart* TCustomRChart::DataUser(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FDataUsers.size()) ? FDataUsers[Index] : nullptr;
}

void TCustomRChart::SetUseDataOf(TCustomRChart* C) {
  if (C == this) return Refuse(u"RChart: Cannot share data with myself");
  if (FDataUsersNum > 0) return Refuse(u"RChart: Cannot use foreign data. Other RCharts are using my own data.");
  if (C == FUseDataOf) return;
  if (C == nullptr) {
    LeaveMaster();
    TakePrivateCopy(true);
    return StyleChanged(this);
  }
  if (C->FUseDataOf != nullptr) C = C->FUseDataOf;
  if (C == FUseDataOf) return;
  if (C->FDataUsersNum >= static_cast<int>(C->FDataUsers.size()))
    return Refuse(u"RChart: Max. number of data shares exceeded");
  LeaveMaster();
  FUseDataOf = C;
  FreeNotification(C);
  SetSharedItemStore(C->FItems);
  FLastElemOnShow = C->FLastElemOnShow;
  C->FDataUsers[C->FDataUsersNum++] = this;
  StyleChanged(this);
}

void TCustomRChart::LeaveMaster() {
  TCustomRChart* master = std::exchange(FUseDataOf, nullptr);
  if (master == nullptr) return;
  master->ForgetUser(this);
  RemoveFreeNotification(master);
}

void TCustomRChart::ForgetUser(const TComponent* User) {
  auto* end = FDataUsers.begin() + FDataUsersNum;
  auto* it = std::find_if(FDataUsers.begin(), end, [User](const TCustomRChart* u) {
    return static_cast<const TComponent*>(u) == User;
  });
  if (it == end) return;
  std::move(it + 1, end, it);
  FDataUsers[--FDataUsersNum] = nullptr;
}

bool TCustomRChart::TakePrivateCopy(bool Raise) {
  if (FItems.use_count() <= 1) return true;
  try {
    SetSharedItemStore(std::make_shared<TrcItemStore>(*FItems));
    return true;
  } catch (const std::bad_alloc&) {
    if (Raise) throw EQeltaRChartError(u"Component \"" + Name() + u"\": not enough memory");
    return false;  // keeps showing the list of the others
  }
}

void TCustomRChart::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent == nullptr) return;
  if (FUseDataOf != nullptr && static_cast<TComponent*>(FUseDataOf) == AComponent) {
    FUseDataOf = nullptr;
    TakePrivateCopy(false);
    return;
  }
  ForgetUser(AComponent);
}

void TCustomRChart::AdjustCanInfoOfSharedCharts() {
  TCustomRChart* master = FUseDataOf != nullptr ? FUseDataOf : this;
  const auto adopt = [this](TCustomRChart* c) {
    if (c == this) return;
    c->SetSharedItemStore(FItems);
    c->FLastElemOnShow = FLastElemOnShow;
  };
  adopt(master);
  for (int i = 0; i < master->FDataUsersNum; ++i) adopt(master->FDataUsers[i]);
}

void TCustomRChart::RepaintGroupAfterShow() {
  const auto repaint = [this](TCustomRChart* c) {
    if (c != this) c->RepaintRule();
  };
  if (FUseDataOf != nullptr) {
    repaint(FUseDataOf);
    for (int i = 0; i < FUseDataOf->FDataUsersNum; ++i) repaint(FUseDataOf->FDataUsers[i]);
  }
  for (int i = 0; i < FDataUsersNum; ++i) repaint(FDataUsers[i]);
}

}  // namespace qelta
