#pragma once
// The object model: TObject, TPersistent (Assign/AssignTo) and TComponent (ownership, names, free
// notification, loading state), and the component palette (RegisterComponents). Implements what the
// components rely on; there is no form-file streaming and no designer, so csLoading is set only
// between BeginLoading() and EndLoading(), and the palette is a registry a host can list.

#include <functional>
#include <initializer_list>
#include <typeinfo>
#include <vector>

#include "Exceptions.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  /// Class name without namespace, as "TComponent".
  String ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  /// Copies Source into this object; raises EConvertError "Cannot assign a X to a Y" when neither side knows how.
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

/// Horizontal text alignment, shared by controls and the settings objects that store it.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

enum TOperation : uint8_t { opInsert, opRemove };
enum TComponentStateFlag : uint8_t { csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating };
using TComponentState = Set<TComponentStateFlag>;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const String& Name() const { return FName; }
  virtual void SetName(const String& value) { FName = value; }
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t value) { FTag = value; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  /// Owned component by 0-based index; raises EListError outside 0..ComponentCount-1.
  TComponent* Components(int index) const;
  TComponent* FindComponent(const String& name) const;
  /// Takes AComponent over from its previous owner; it is designed when this one is (csDesigning).
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  /// Asks AComponent to call Notification(AComponent, opRemove) on this one when it is destroyed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  const TComponentState& ComponentState() const { return FComponentState; }
  /// Host-side substitute for form loading: sets csLoading; EndLoading clears it and calls Loaded().
  void BeginLoading();
  void EndLoading();

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void Loaded();
  void SetDesigning(bool value);

 private:
  void RemoveNotifier(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  String FName;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
};

// --- the component palette ---------------------------------------------------------------------

namespace platform_detail {
// Not part of the public interface: a class's name without its namespace, as ClassName answers it.
String DemangledClassName(const std::type_info& type);
}  // namespace platform_detail

/// A component class as the palette lists it: its name and how to make one for an owner.
struct TComponentClass {
  String ClassName;
  std::function<TComponent*(TComponent* AOwner)> Create;
};

/// The palette entry of the component class T (T needs a constructor taking the owner).
template <class T>
TComponentClass ComponentClassOf() {
  return {platform_detail::DemangledClassName(typeid(T)), [](TComponent* AOwner) -> TComponent* { return new T(AOwner); }};
}

/// Puts the classes on the palette page Page (created on first use); a class already on that page
/// by name is not added twice.
void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> Classes);
/// The palette pages in the order they were first used.
std::vector<String> RegisteredPages();
/// The classes on a page in the order they were registered; empty for a page never used.
std::vector<TComponentClass> RegisteredComponents(const String& Page);

}  // namespace qelta

QELTA_PUBLIC_END
