#include "Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "Encoding.h"

namespace qelta {

String platform_detail::DemangledClassName(const std::type_info& type) {
  const char* mangled = type.name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  // Only the scope of the class itself goes: "qelta::TList<qelta::TItem>" -> "TList<qelta::TItem>".
  const auto colon = name.rfind("::", name.find('<'));
  if (colon != std::string::npos) name.erase(0, colon + 2);
  return Utf8ToString(name);
}

String TObject::ClassName() const { return platform_detail::DemangledClassName(typeid(*this)); }

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError(u"Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) {
  throw EConvertError(u"Cannot assign a " + ClassName() + u" to a " + Dest->ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState.Include(csDestroying);
  // Tell everyone who asked; they forget their pointer to us.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotifier(this);
    other->Notification(this, opRemove);
  }
  // Free what we own, last created first.
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    FComponents.pop_back();
    child->FOwner = nullptr;
    delete child;
  }
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FComponents[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents) {
    const String& n = c->Name();
    if (n.size() == name.size() &&
        std::equal(n.begin(), n.end(), name.begin(), [](Char a, Char b) {
          auto lower = [](Char x) { return (x >= u'A' && x <= u'Z') ? static_cast<Char>(x + 32) : x; };
          return lower(a) == lower(b);
        }))
      return c;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  // Owning itself would make the destructor delete the object it is running in.
  if (AComponent == nullptr || AComponent == this || AComponent->FOwner == this) return;
  if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  // A component placed into one being designed is designed too, already while it is constructed.
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it == FComponents.end()) return;
  FComponents.erase(it);
  AComponent->FOwner = nullptr;
  Notification(AComponent, opRemove);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  RemoveNotifier(AComponent);
  AComponent->RemoveNotifier(this);
}

void TComponent::RemoveNotifier(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
}

void TComponent::BeginLoading() { FComponentState.Include(csLoading); }

void TComponent::EndLoading() {
  if (!FComponentState.Contains(csLoading)) return;
  FComponentState.Exclude(csLoading);
  Loaded();
}

void TComponent::Notification(TComponent* /*AComponent*/, TOperation /*Operation*/) {}
void TComponent::Loaded() {}

void TComponent::SetDesigning(bool value) {
  if (value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
}

// [SECTION] the component palette

namespace {

struct TPalettePage {
  String Name;
  std::vector<TComponentClass> Classes;
};

// Never destroyed, like the platform's other statics: a host may list it at any point of the exit.
std::vector<TPalettePage>& Palette() {
  static auto* pages = new std::vector<TPalettePage>();
  return *pages;
}

TPalettePage* FindPage(const String& name) {
  for (TPalettePage& page : Palette())
    if (page.Name == name) return &page;
  return nullptr;
}

}  // namespace

void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> Classes) {
  TPalettePage* page = FindPage(Page);
  if (page == nullptr) page = &Palette().emplace_back(TPalettePage{Page, {}});
  for (const TComponentClass& c : Classes) {
    const auto same = [&c](const TComponentClass& known) { return known.ClassName == c.ClassName; };
    if (std::none_of(page->Classes.begin(), page->Classes.end(), same)) page->Classes.push_back(c);
  }
}

std::vector<String> RegisteredPages() {
  std::vector<String> names;
  for (const TPalettePage& page : Palette()) names.push_back(page.Name);
  return names;
}

std::vector<TComponentClass> RegisteredComponents(const String& Page) {
  const TPalettePage* page = FindPage(Page);
  return page != nullptr ? page->Classes : std::vector<TComponentClass>();
}

}  // namespace qelta
