#pragma once
// String lists of the runtime: TStrings (the abstract list with its text forms and files) and
// TStringList (the list itself, optionally sorted, with objects and a change event).
// Implements: indexing with EListError "List index out of bounds (<index>)"; IndexOf, Find and sorting
// ignoring the case of A-Z (CompareText) unless CaseSensitive, then by UTF-16 code; Duplicates on sorted
// lists; Text (CR LF joined; CR LF, LF or CR split), CommaText with the classic quoting, name=value
// pairs; files and streams in Windows-1252 with CR LF; BeginUpdate/EndUpdate batching OnChange.
// Objects are borrowed pointers unless OwnsObjects, in which case Delete, Clear and the destructor free them.
// Does not implement: custom sorts, Exchange/Move, delimiters other than the comma, a Capacity property.

#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

/// Abstract list of strings with associated objects; descendants hold the storage.
class TStrings : public TPersistent {
 public:
  // [content] indices are 0-based
  virtual int Count() const = 0;
  /// String at index; raises EListError outside 0..Count-1.
  virtual String Strings(int index) const = 0;
  virtual void SetStrings(int index, const String& s) = 0;
  /// Object at index (nullptr when none); raises EListError outside 0..Count-1.
  virtual TObject* Objects(int index) const = 0;
  virtual void SetObjects(int index, TObject* object) = 0;
  /// Appends s (a sorted list inserts it in order); answers its index.
  virtual int Add(const String& s);
  int AddObject(const String& s, TObject* object);
  /// Appends all strings and objects of other.
  void AddStrings(const TStrings& other);
  /// Inserts s before index (0..Count); raises EListError outside.
  virtual void Insert(int index, const String& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  /// Index of the first string equal to s by the list's comparison, -1 when none.
  virtual int IndexOf(const String& s) const;
  /// Copies strings and objects of another TStrings; anything else goes to TPersistent::Assign.
  void Assign(TPersistent* source) override;

  // [text forms]
  /// All strings, each followed by CR LF.
  String Text() const;
  /// Replaces the list with the lines of text (CR LF, LF or CR end a line; a final line end adds no empty line).
  void SetText(const String& text);
  /// Strings joined by commas; one holding a character <= ' ', a comma or a double quote is quoted ("" for ").
  String CommaText() const;
  /// Replaces the list with the items of a comma text (commas or white space separate; quotes group).
  void SetCommaText(const String& text);
  /// Text before the first '=' of string index ("" when it has none).
  String Names(int index) const;
  /// Value of the first name=value string whose name equals name; "" when none.
  String Values(const String& name) const;
  /// Sets the value of name (adding "name=value" when absent); an empty value deletes the pair.
  void SetValues(const String& name, const String& value);
  /// Index of the first name=value string whose name equals name, -1 when none.
  int IndexOfName(const String& name) const;

  // [files] Windows-1252 bytes, CR LF line ends
  void LoadFromStream(TStream& stream);  ///< from the stream's position to its end
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const String& fileName);  ///< raises EFOpenError
  /// Writes the text as the file; a failure keeps the old file (SaveWholeFile). Raises EFCreateError, EWriteError.
  void SaveToFile(const String& fileName) const;

  // [updates]
  /// Batches changes: OnChange fires once when the outermost EndUpdate is reached.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  /// Called when the update count leaves or reaches zero.
  virtual void SetUpdateState(bool updating);
  /// The list's comparison of two strings (<0, 0, >0); CompareText unless a descendant decides otherwise.
  virtual int CompareStrings(const String& a, const String& b) const;
  [[noreturn]] static void RaiseIndexError(int index);

 private:
  int FUpdateCount = 0;
};

/// The string list: a vector of (string, object) items.
class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
  ~TStringList() override;

  // [content]
  int Count() const override { return static_cast<int>(FList.size()); }
  String Strings(int index) const override;
  /// Raises EListError "Operation not allowed on sorted list" on a sorted list.
  void SetStrings(int index, const String& s) override;
  TObject* Objects(int index) const override;
  void SetObjects(int index, TObject* object) override;
  /// On a sorted list: dupIgnore answers the existing index, dupError raises EListError
  /// "String list does not allow duplicates", dupAccept inserts.
  int Add(const String& s) override;
  /// Raises EListError "Operation not allowed on sorted list" on a sorted list.
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const String& s) const override;
  /// Where s is or would go: binary search on a sorted list (the first of equal strings), a linear search
  /// otherwise (index = Count when absent). Answers whether s was found.
  bool Find(const String& s, int& index) const;
  /// Sorts by the list's comparison (stable).
  void Sort();

  // [properties]
  bool Sorted() const { return FSorted; }
  /// Setting true sorts the list.
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  /// A sorted list is sorted again by the new comparison.
  void SetCaseSensitive(bool value);
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }

  // [events]
  /// Fires after every change, or once at the end of an update batch.
  TNotifyEvent OnChange;

 protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& a, const String& b) const override;

 private:
  struct TItem {
    String S;
    TObject* O = nullptr;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const String& s, TObject* object);
  void Changed();

  std::vector<TItem> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};

}  // namespace qelta

QELTA_PUBLIC_END
