// CStringArray and CStringList. Indexes and positions are checked: a bad one throws
// std::out_of_range (or std::invalid_argument for a null position) instead of touching
// memory that is not there.
#include <Utility/Platform/Containers.h>

#include <new>
#include <stdexcept>
#include <string_view>

// ---- CStringArray ----------------------------------------------------------------------

namespace {

[[noreturn]] void OutOfRange(const char* what) { throw std::out_of_range(what); }

}  // namespace

INT_PTR CStringArray::GetSize() const noexcept { return static_cast<INT_PTR>(m_items.size()); }
INT_PTR CStringArray::GetCount() const noexcept { return GetSize(); }
INT_PTR CStringArray::GetUpperBound() const noexcept { return GetSize() - 1; }
bool CStringArray::IsEmpty() const noexcept { return m_items.empty(); }

void CStringArray::SetSize(INT_PTR newSize) {
  if (newSize < 0) OutOfRange("CStringArray::SetSize: negative size");
  m_items.resize(static_cast<std::size_t>(newSize));
}

const CString& CStringArray::GetAt(INT_PTR index) const {
  if (index < 0 || index >= GetSize()) OutOfRange("CStringArray: index out of range");
  return m_items[static_cast<std::size_t>(index)];
}

CString& CStringArray::ElementAt(INT_PTR index) {
  if (index < 0 || index >= GetSize()) OutOfRange("CStringArray: index out of range");
  return m_items[static_cast<std::size_t>(index)];
}

void CStringArray::SetAt(INT_PTR index, const CString& value) { ElementAt(index) = value; }
const CString& CStringArray::operator[](INT_PTR index) const { return GetAt(index); }
CString& CStringArray::operator[](INT_PTR index) { return ElementAt(index); }

INT_PTR CStringArray::Add(const CString& value) {
  m_items.push_back(value);
  return GetSize() - 1;
}

INT_PTR CStringArray::Append(const CStringArray& other) {
  const INT_PTR first = GetSize();
  if (&other == this) {
    const auto copy = m_items;  // inserting a range of itself would read moved storage
    m_items.insert(m_items.end(), copy.begin(), copy.end());
  } else {
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
  }
  return first;
}

void CStringArray::InsertAt(INT_PTR index, const CString& value, INT_PTR count) {
  if (index < 0 || count < 0) OutOfRange("CStringArray::InsertAt: negative index or count");
  if (count == 0) return;
  // value may be an element of this array, which the insertion moves.
  const CString copy(value);  // NOLINT(performance-unnecessary-copy-initialization)
  // Past the end the array grows first, with empty strings up to the index.
  if (index > GetSize()) m_items.resize(static_cast<std::size_t>(index));
  m_items.insert(m_items.begin() + index, static_cast<std::size_t>(count), copy);
}

void CStringArray::RemoveAt(INT_PTR index, INT_PTR count) {
  if (index < 0 || count < 0 || count > GetSize() - index) OutOfRange("CStringArray::RemoveAt: range out of the array");
  m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
}

void CStringArray::RemoveAll() noexcept { m_items.clear(); }

// ---- CStringList -----------------------------------------------------------------------

struct CStringList::Node {
  CString value;
  Node* prev;
  Node* next;
};

namespace {

template <class NodeT>
POSITION ToPos(NodeT* n) noexcept {
  return reinterpret_cast<POSITION>(n);
}

// Nodes come from the framework allocator, so that exhaustion raises CMemoryException.
template <class NodeT, class Prev, class Next>
NodeT* MakeNode(const CString& value, Prev prev, Next next) {
  FrameworkAllocator<NodeT> alloc;
  NodeT* n = alloc.allocate(1);
  try {
    ::new (static_cast<void*>(n)) NodeT{value, prev, next};
  } catch (...) {
    alloc.deallocate(n, 1);
    throw;
  }
  return n;
}

template <class NodeT>
void FreeNode(NodeT* n) noexcept {
  n->~NodeT();
  FrameworkAllocator<NodeT>().deallocate(n, 1);
}

bool SameText(const CString& a, CStringRef b) noexcept {
  return a.View() == std::u16string_view(reinterpret_cast<const char16_t*>(b.data()), b.size());
}

}  // namespace

CStringList::CStringList() = default;

CStringList::CStringList(const CStringList& other) : CStringList() {
  try {
    AddTail(other);
  } catch (...) {
    RemoveAll();
    throw;
  }
}

CStringList& CStringList::operator=(const CStringList& other) {
  if (this != &other) {
    CStringList copy(other);
    std::swap(m_head, copy.m_head);
    std::swap(m_tail, copy.m_tail);
    std::swap(m_count, copy.m_count);
  }
  return *this;
}

CStringList::~CStringList() { RemoveAll(); }

INT_PTR CStringList::GetCount() const noexcept { return m_count; }
INT_PTR CStringList::GetSize() const noexcept { return m_count; }
bool CStringList::IsEmpty() const noexcept { return m_count == 0; }

CString& CStringList::GetHead() {
  if (m_head == nullptr) OutOfRange("CStringList::GetHead: the list is empty");
  return m_head->value;
}
const CString& CStringList::GetHead() const { return const_cast<CStringList*>(this)->GetHead(); }
CString& CStringList::GetTail() {
  if (m_tail == nullptr) OutOfRange("CStringList::GetTail: the list is empty");
  return m_tail->value;
}
const CString& CStringList::GetTail() const { return const_cast<CStringList*>(this)->GetTail(); }

POSITION CStringList::AddHead(const CString& value) {
  Node* n = MakeNode<Node>(value, nullptr, m_head);
  if (m_head != nullptr)
    m_head->prev = n;
  else
    m_tail = n;
  m_head = n;
  ++m_count;
  return ToPos(n);
}

POSITION CStringList::AddTail(const CString& value) {
  Node* n = MakeNode<Node>(value, m_tail, nullptr);
  if (m_tail != nullptr)
    m_tail->next = n;
  else
    m_head = n;
  m_tail = n;
  ++m_count;
  return ToPos(n);
}

void CStringList::AddTail(const CStringList& other) {
  // Counted first, so that adding a list to itself copies it once.
  INT_PTR left = other.m_count;
  for (Node* n = other.m_head; left > 0; n = n->next, --left) AddTail(n->value);
}

CString CStringList::RemoveHead() {
  if (m_head == nullptr) OutOfRange("CStringList::RemoveHead: the list is empty");
  CString v = std::move(m_head->value);
  RemoveAt(ToPos(m_head));
  return v;
}

CString CStringList::RemoveTail() {
  if (m_tail == nullptr) OutOfRange("CStringList::RemoveTail: the list is empty");
  CString v = std::move(m_tail->value);
  RemoveAt(ToPos(m_tail));
  return v;
}

void CStringList::RemoveAll() noexcept {
  for (Node* n = m_head; n != nullptr;) {
    Node* next = n->next;
    FreeNode(n);
    n = next;
  }
  m_head = m_tail = nullptr;
  m_count = 0;
}

POSITION CStringList::GetHeadPosition() const noexcept { return ToPos(m_head); }
POSITION CStringList::GetTailPosition() const noexcept { return ToPos(m_tail); }

namespace {

[[noreturn]] void NullPosition() { throw std::invalid_argument("CStringList: null POSITION"); }

}  // namespace

CString& CStringList::GetNext(POSITION& pos) {
  if (pos == nullptr) NullPosition();
  Node* n = reinterpret_cast<Node*>(pos);
  pos = ToPos(n->next);
  return n->value;
}
const CString& CStringList::GetNext(POSITION& pos) const { return const_cast<CStringList*>(this)->GetNext(pos); }

CString& CStringList::GetPrev(POSITION& pos) {
  if (pos == nullptr) NullPosition();
  Node* n = reinterpret_cast<Node*>(pos);
  pos = ToPos(n->prev);
  return n->value;
}
const CString& CStringList::GetPrev(POSITION& pos) const { return const_cast<CStringList*>(this)->GetPrev(pos); }

CString& CStringList::GetAt(POSITION pos) {
  if (pos == nullptr) NullPosition();
  return reinterpret_cast<Node*>(pos)->value;
}
const CString& CStringList::GetAt(POSITION pos) const { return const_cast<CStringList*>(this)->GetAt(pos); }

void CStringList::SetAt(POSITION pos, const CString& value) { GetAt(pos) = value; }

void CStringList::RemoveAt(POSITION pos) {
  if (pos == nullptr) NullPosition();
  Node* n = reinterpret_cast<Node*>(pos);
  if (n->prev != nullptr)
    n->prev->next = n->next;
  else
    m_head = n->next;
  if (n->next != nullptr)
    n->next->prev = n->prev;
  else
    m_tail = n->prev;
  --m_count;
  FreeNode(n);
}

POSITION CStringList::InsertBefore(POSITION pos, const CString& value) {
  if (pos == nullptr) return AddHead(value);  // before nothing: at the head
  Node* at = reinterpret_cast<Node*>(pos);
  if (at == m_head) return AddHead(value);
  Node* n = MakeNode<Node>(value, at->prev, at);
  at->prev->next = n;
  at->prev = n;
  ++m_count;
  return ToPos(n);
}

POSITION CStringList::InsertAfter(POSITION pos, const CString& value) {
  if (pos == nullptr) return AddTail(value);  // after nothing: at the tail
  Node* at = reinterpret_cast<Node*>(pos);
  if (at == m_tail) return AddTail(value);
  Node* n = MakeNode<Node>(value, at, at->next);
  at->next->prev = n;
  at->next = n;
  ++m_count;
  return ToPos(n);
}

POSITION CStringList::Find(CStringRef value, POSITION startAfter) const noexcept {
  Node* n = startAfter == nullptr ? m_head : reinterpret_cast<Node*>(startAfter)->next;
  for (; n != nullptr; n = n->next) {
    if (SameText(n->value, value)) return ToPos(n);
  }
  return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR index) const noexcept {
  if (index < 0 || index >= m_count) return nullptr;
  Node* n = m_head;
  while (index-- > 0) n = n->next;
  return ToPos(n);
}
