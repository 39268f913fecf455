#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Classes.h"

using namespace qelta;

namespace {

class TFoo : public TPersistent {};

// Knows how to copy from another TBar only.
class TBar : public TPersistent {
 public:
  void Assign(TPersistent* Source) override {
    if (auto* bar = dynamic_cast<TBar*>(Source)) {
      Value = bar->Value;
      return;
    }
    TPersistent::Assign(Source);
  }
  int Value = 0;
};

// Knows how to copy itself into a TBar: the AssignTo side of the protocol.
class TBaz : public TPersistent {
 protected:
  void AssignTo(TPersistent* Dest) override {
    if (auto* bar = dynamic_cast<TBar*>(Dest)) {
      bar->Value = 42;
      return;
    }
    TPersistent::AssignTo(Dest);
  }
};

template <typename T>
class TBox : public TObject {};

// Records its own destruction by name.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* AOwner, const char* name, std::vector<std::string>& log) : TComponent(AOwner), log_(log) {
    SetName(Utf8ToString(name));
  }
  ~TProbe() override { log_.push_back(StringToUtf8(Name())); }

 private:
  std::vector<std::string>& log_;
};

// Keeps a borrowed pointer to another component and forgets it when that one goes.
class TLinker : public TComponent {
 public:
  using TComponent::TComponent;
  ~TLinker() override {
    if (HeldTargetAtDestruction != nullptr) *HeldTargetAtDestruction = Target != nullptr;
  }
  void SetTarget(TComponent* value) {
    if (Target != nullptr) Target->RemoveFreeNotification(this);
    Target = value;
    if (Target != nullptr) Target->FreeNotification(this);
  }
  TComponent* Target = nullptr;
  bool* HeldTargetAtDestruction = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Target) Target = nullptr;
  }
};

class TLoadProbe : public TComponent {
 public:
  using TComponent::TComponent;
  int LoadedCalls = 0;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }
};

}  // namespace

TEST(TObject, ClassNameDropsTheScope) {
  TFoo foo;
  TComponent component(nullptr);
  EXPECT_EQ(foo.ClassName(), u"TFoo");
  EXPECT_EQ(component.ClassName(), u"TComponent");
}

TEST(TObject, ClassNameOfATemplateKeepsItsArguments) {
  // The scope was cut at the last "::" anywhere, which left "TFoo>" of "TBox<...::TFoo>".
  TBox<TFoo> box;
  EXPECT_EQ(box.ClassName(), u"TBox<(anonymous namespace)::TFoo>");
}

TEST(TPersistent, AssignUsesEitherSideOrRaises) {
  TBar a, b;
  TBaz baz;
  TFoo foo;
  b.Value = 7;
  a.Assign(&b);
  EXPECT_EQ(a.Value, 7);
  a.Assign(&baz);
  EXPECT_EQ(a.Value, 42);
  EXPECT_THROW_MSG(a.Assign(&foo), EConvertError, "Cannot assign a TFoo to a TBar");
  EXPECT_THROW_MSG(foo.Assign(&baz), EConvertError, "Cannot assign a TBaz to a TFoo");
  EXPECT_THROW_MSG(a.Assign(nullptr), EConvertError, "Cannot assign a nil to a TBar");
}

TEST(TComponent, OwnerFreesOwnedComponentsLastFirst) {
  std::vector<std::string> log;
  auto* owner = new TProbe(nullptr, "Owner", log);
  new TProbe(owner, "First", log);
  auto* second = new TProbe(owner, "Second", log);
  new TProbe(second, "Grandchild", log);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent(u"sECOND"), second);
  EXPECT_EQ(owner->FindComponent(u""), nullptr);
  delete owner;
  // A descendant's destructor body runs before the base frees what it owns.
  EXPECT_EQ(log, (std::vector<std::string>{"Owner", "Second", "Grandchild", "First"}));
}

TEST(TComponent, FreedComponentLeavesItsOwner) {
  std::vector<std::string> log;
  TProbe owner(nullptr, "Owner", log);
  auto* child = new TProbe(&owner, "Child", log);
  delete child;
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_THROW_MSG(owner.Components(0), EListError, "List index out of bounds (0)");
}

TEST(TComponent, InsertComponentMovesOwnership) {
  TComponent a(nullptr), b(nullptr);
  auto* child = new TComponent(&a);
  b.InsertComponent(child);
  EXPECT_EQ(child->Owner(), &b);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.Components(0), child);
  b.RemoveComponent(child);
  EXPECT_EQ(child->Owner(), nullptr);
  delete child;
}

TEST(TComponent, ComponentCannotOwnItself) {
  // A component inserted into itself was deleted by its own destructor: a double free.
  auto* c = new TComponent(nullptr);
  c->InsertComponent(c);
  EXPECT_EQ(c->ComponentCount(), 0);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(TComponent, FreeNotificationClearsTheStoredPointer) {
  TLinker linker(nullptr);
  auto* target = new TComponent(nullptr);
  linker.SetTarget(target);
  delete target;
  EXPECT_EQ(linker.Target, nullptr);
}

TEST(TComponent, FreeNotificationUnderOneOwnerInEitherOrder) {
  // The owner frees last created first; whichever goes first, the other keeps no dangling pointer
  // (the sanitizer build catches a late notification to a freed linker).
  for (bool linkerFirst : {true, false}) {
    bool held = true;
    {
      TComponent owner(nullptr);
      TLinker* linker = linkerFirst ? new TLinker(&owner) : nullptr;
      auto* target = new TComponent(&owner);
      if (!linkerFirst) linker = new TLinker(&owner);
      linker->SetTarget(target);
      linker->HeldTargetAtDestruction = &held;
    }
    EXPECT_EQ(held, !linkerFirst);
  }
}

TEST(TComponent, DestroyedLinkerIsForgottenByItsTarget) {
  TComponent target(nullptr);
  {
    TLinker linker(nullptr);
    linker.SetTarget(&target);
  }
  TLinker other(nullptr);
  other.SetTarget(&target);
  other.SetTarget(nullptr);
  EXPECT_EQ(other.Target, nullptr);
}

TEST(TComponent, LoadingStateAndLoadedCalledOnce) {
  TLoadProbe c(nullptr);
  EXPECT_FALSE(c.ComponentState().Contains(csLoading));
  c.EndLoading();  // without BeginLoading: nothing happens
  EXPECT_EQ(c.LoadedCalls, 0);
  c.BeginLoading();
  EXPECT_TRUE(c.ComponentState().Contains(csLoading));
  c.EndLoading();
  c.EndLoading();
  EXPECT_FALSE(c.ComponentState().Contains(csLoading));
  EXPECT_EQ(c.LoadedCalls, 1);
}

namespace {
class TDesignedOwner : public TComponent {
 public:
  TDesignedOwner() : TComponent(nullptr) { SetDesigning(true); }
};

// Records whether it was designed while its constructor ran.
class TDesignProbe : public TComponent {
 public:
  explicit TDesignProbe(TComponent* AOwner)
      : TComponent(AOwner), DesignedAtConstruction(ComponentState().Contains(csDesigning)) {}
  bool DesignedAtConstruction;
};
}  // namespace

TEST(TComponent, ComponentsOfADesignedOwnerAreDesignedFromTheirConstructorOn) {
  TDesignedOwner owner;
  auto* child = new TDesignProbe(&owner);
  EXPECT_TRUE(child->DesignedAtConstruction);
  TDesignProbe free(nullptr);
  EXPECT_FALSE(free.DesignedAtConstruction);
  TComponent plain(nullptr);
  plain.InsertComponent(&free);
  EXPECT_FALSE(free.ComponentState().Contains(csDesigning));
  owner.InsertComponent(&free);
  EXPECT_TRUE(free.ComponentState().Contains(csDesigning));
  owner.RemoveComponent(&free);
}

namespace {
class TPaletteProbe : public TComponent {
 public:
  using TComponent::TComponent;
};
}  // namespace

TEST(RegisterComponents, ListsClassesByPageInOrderOnceEach) {
  // Page names unique to this test: the palette is process-wide.
  RegisterComponents(u"Probe page A", {ComponentClassOf<TPaletteProbe>(), ComponentClassOf<TComponent>()});
  RegisterComponents(u"Probe page B", {ComponentClassOf<TComponent>()});
  RegisterComponents(u"Probe page A", {ComponentClassOf<TPaletteProbe>()});  // already there
  const std::vector<String> pages = RegisteredPages();
  const auto a = std::find(pages.begin(), pages.end(), u"Probe page A");
  ASSERT_NE(a, pages.end());
  EXPECT_EQ(std::find(a, pages.end(), u"Probe page B") - a, 1);
  const std::vector<TComponentClass> onA = RegisteredComponents(u"Probe page A");
  ASSERT_EQ(onA.size(), 2u);
  EXPECT_EQ(onA[0].ClassName, u"TPaletteProbe");
  EXPECT_EQ(onA[1].ClassName, u"TComponent");
  EXPECT_TRUE(RegisteredComponents(u"Probe page never used").empty());
}

TEST(RegisterComponents, AnEntryMakesComponentsOfItsClassForAnOwner) {
  RegisterComponents(u"Probe page C", {ComponentClassOf<TPaletteProbe>()});
  TComponent owner(nullptr);
  TComponent* made = RegisteredComponents(u"Probe page C").at(0).Create(&owner);
  EXPECT_NE(dynamic_cast<TPaletteProbe*>(made), nullptr);
  EXPECT_EQ(made->Owner(), &owner);  // freed with its owner
  EXPECT_EQ(owner.ComponentCount(), 1);
}
