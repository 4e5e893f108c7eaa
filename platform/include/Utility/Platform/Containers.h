// CStringArray and CStringList: the framework's array and list of CString, with the members
// hosts use. Allocation failures raise CMemoryException.
#pragma once

#include <cstddef>
#include <list>
#include <vector>

#include <Utility/Platform/Allocator.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>

// A position in a CStringList: null past either end.
struct __POSITION;
using POSITION = __POSITION*;

// CStringArray
//
// A growable array of CString. Indexes are 0-based `INT_PTR`s.
//
// Example:
//   CStringArray a; a.Add(u"one"); a.Add(u"two");   // a.GetSize() == 2, a[1] == u"two"
class UTILITY_PLATFORM_API CStringArray {
 public:
  CStringArray() = default;
  CStringArray(const CStringArray&) = default;
  CStringArray& operator=(const CStringArray&) = default;

  INT_PTR GetSize() const noexcept;
  INT_PTR GetCount() const noexcept;
  INT_PTR GetUpperBound() const noexcept;
  bool IsEmpty() const noexcept;
  void SetSize(INT_PTR newSize);

  // Element access. An index outside 0..GetSize()-1 throws std::out_of_range, as do a
  // negative SetSize(), InsertAt() index or count, and a RemoveAt() range past the end.
  // InsertAt() past the end first grows the array with empty strings up to the index.
  const CString& GetAt(INT_PTR index) const;
  CString& ElementAt(INT_PTR index);
  void SetAt(INT_PTR index, const CString& value);
  const CString& operator[](INT_PTR index) const;
  CString& operator[](INT_PTR index);

  // Add() appends and returns the new element's index.
  INT_PTR Add(const CString& value);
  INT_PTR Append(const CStringArray& other);
  void InsertAt(INT_PTR index, const CString& value, INT_PTR count = 1);
  void RemoveAt(INT_PTR index, INT_PTR count = 1);
  void RemoveAll() noexcept;

 private:
  std::vector<CString, FrameworkAllocator<CString>> m_items;
};

// CStringList
//
// A doubly linked list of CString, walked with POSITION values. GetHead/GetTail/RemoveHead/
// RemoveTail on an empty list throw std::out_of_range; a null POSITION given to
// GetNext/GetPrev/GetAt/SetAt/RemoveAt throws std::invalid_argument. InsertBefore(nullptr)
// adds at the head and InsertAfter(nullptr) at the tail. A POSITION stays valid until its
// element is removed.
//
// Example:
//   CStringList l; l.AddTail(u"b"); l.AddHead(u"a");
//   for (POSITION p = l.GetHeadPosition(); p != nullptr;) { CString s = l.GetNext(p); ... }
class UTILITY_PLATFORM_API CStringList {
 public:
  CStringList();
  CStringList(const CStringList& other);
  CStringList& operator=(const CStringList& other);
  ~CStringList();

  INT_PTR GetCount() const noexcept;
  INT_PTR GetSize() const noexcept;
  bool IsEmpty() const noexcept;

  CString& GetHead();
  const CString& GetHead() const;
  CString& GetTail();
  const CString& GetTail() const;

  POSITION AddHead(const CString& value);
  POSITION AddTail(const CString& value);
  void AddTail(const CStringList& other);
  CString RemoveHead();
  CString RemoveTail();
  void RemoveAll() noexcept;

  POSITION GetHeadPosition() const noexcept;
  POSITION GetTailPosition() const noexcept;
  // GetNext()/GetPrev() return the element at pos and move pos on (to null past the end).
  CString& GetNext(POSITION& pos);
  const CString& GetNext(POSITION& pos) const;
  CString& GetPrev(POSITION& pos);
  const CString& GetPrev(POSITION& pos) const;
  CString& GetAt(POSITION pos);
  const CString& GetAt(POSITION pos) const;
  void SetAt(POSITION pos, const CString& value);
  void RemoveAt(POSITION pos);
  POSITION InsertBefore(POSITION pos, const CString& value);
  POSITION InsertAfter(POSITION pos, const CString& value);

  // Find() gives the position of the first element equal to value (ordinal comparison)
  // at or after startAfter's successor (or from the head when startAfter is null), or null.
  POSITION Find(CStringRef value, POSITION startAfter = nullptr) const noexcept;
  POSITION FindIndex(INT_PTR index) const noexcept;

 private:
  struct Node;
  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  INT_PTR m_count = 0;
};
