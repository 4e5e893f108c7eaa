// The in-process window tree. Every window is a node in one table keyed by its handle; a
// handle is never reused, so a stale handle stays stale. One lock guards the table.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Window.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Node {
  HWND parent = nullptr;
  std::vector<HWND> children;  // z-order, top first
  DWORD style = 0;
  UINT id = 0;
  std::u16string name;
  CWnd* attached = nullptr;       // the object that Create() made the window for
  std::unique_ptr<CWnd> wrapper;  // FromHandle()'s object when none is attached
};

struct Tree {
  std::mutex lock;
  std::unordered_map<HWND, Node> nodes;
  std::vector<HWND> topLevel;  // the desktop's children, z-order
  std::uintptr_t next = 0x10010;
};

Tree& TheTree() {
  static Tree* tree = new Tree();  // never destroyed: windows may outlive static destructors
  return *tree;
}

Node* Find(Tree& t, HWND window) {
  const auto it = t.nodes.find(window);
  return it == t.nodes.end() ? nullptr : &it->second;
}

// The node of a window the caller names, or null with ERROR_INVALID_WINDOW_HANDLE.
Node* FindWindowNode(Tree& t, HWND window) {
  Node* n = Find(t, window);
  if (n == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return n;
}

std::vector<HWND>& Siblings(Tree& t, const Node& n) {
  if (n.parent == nullptr) return t.topLevel;
  return t.nodes.at(n.parent).children;
}

void Collect(Tree& t, HWND window, std::vector<HWND>& out) {
  out.push_back(window);
  for (HWND child : t.nodes.at(window).children) Collect(t, child, out);
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd != nullptr) DestroyWindow();
}

BOOL CWnd::Create(const char16_t* name, DWORD style, CWnd* parent, UINT id) {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  if (m_hWnd != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HWND parentHandle = nullptr;
  if (parent != nullptr) {
    parentHandle = parent->m_hWnd;
    if (Find(t, parentHandle) == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    style |= WS_CHILD;
  }
  const HWND handle = reinterpret_cast<HWND>(t.next);
  t.next += 4;
  Node node;
  node.parent = parentHandle;
  node.style = style;
  node.id = id;
  if (name != nullptr) node.name = name;
  node.attached = this;
  auto& siblings = parentHandle == nullptr ? t.topLevel : t.nodes.at(parentHandle).children;
  siblings.push_back(handle);
  try {
    t.nodes.emplace(handle, std::move(node));
  } catch (...) {
    siblings.pop_back();
    throw;
  }
  m_hWnd = handle;
  return TRUE;
}

BOOL CWnd::DestroyWindow() noexcept { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd); }

HWND CWnd::Detach() noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const HWND window = m_hWnd;
  if (Node* n = Find(t, window); n != nullptr && n->attached == this) n->attached = nullptr;
  m_hWnd = nullptr;
  return window;
}

CWnd* CWnd::FromHandle(HWND window) noexcept {
  if (window == nullptr) return nullptr;
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  Node* n = Find(t, window);
  if (n == nullptr) return nullptr;
  if (n->attached != nullptr) return n->attached;
  if (!n->wrapper) {
    try {
      n->wrapper = std::make_unique<CWnd>();
    } catch (...) {
      return nullptr;
    }
    n->wrapper->m_hWnd = window;
  }
  return n->wrapper.get();
}

CWnd* CWnd::GetWindow(UINT relation) const noexcept { return FromHandle(::GetWindow(m_hWnd, relation)); }
CWnd* CWnd::GetParent() const noexcept { return FromHandle(::GetParent(m_hWnd)); }
BOOL CWnd::EnableWindow(BOOL enable) noexcept { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::ShowWindow(int command) noexcept { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd); }
DWORD CWnd::GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
int CWnd::GetDlgCtrlID() const noexcept { return static_cast<int>(::GetWindowLongW(m_hWnd, GWL_ID)); }

BOOL IsWindow(HWND window) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  return Find(t, window) != nullptr ? TRUE : FALSE;
}

HWND GetWindow(HWND window, UINT relation) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = FindWindowNode(t, window);
  if (n == nullptr) return nullptr;
  if (relation == GW_CHILD) return n->children.empty() ? nullptr : n->children.front();
  if (relation == GW_OWNER) return nullptr;
  if (relation > GW_CHILD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::vector<HWND>& siblings = Siblings(t, *n);
  const auto at = std::find(siblings.begin(), siblings.end(), window);
  switch (relation) {
    case GW_HWNDFIRST:
      return siblings.front();
    case GW_HWNDLAST:
      return siblings.back();
    case GW_HWNDNEXT:
      return at + 1 == siblings.end() ? nullptr : *(at + 1);
    default:
      return at == siblings.begin() ? nullptr : *(at - 1);  // GW_HWNDPREV
  }
}

HWND GetParent(HWND window) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = FindWindowNode(t, window);
  if (n == nullptr) return nullptr;
  return n->parent;
}

BOOL EnableWindow(HWND window, BOOL enable) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  Node* n = FindWindowNode(t, window);
  if (n == nullptr) return FALSE;
  const BOOL wasDisabled = (n->style & WS_DISABLED) != 0 ? TRUE : FALSE;
  if (enable != 0) {
    n->style &= ~WS_DISABLED;
  } else {
    n->style |= WS_DISABLED;
  }
  return wasDisabled;
}

BOOL ShowWindow(HWND window, int command) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  Node* n = FindWindowNode(t, window);
  if (n == nullptr) return FALSE;
  if (command < SW_HIDE || command > SW_FORCEMINIMIZE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BOOL wasVisible = (n->style & WS_VISIBLE) != 0 ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      n->style &= ~WS_VISIBLE;
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      n->style = (n->style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
      break;
    case SW_MAXIMIZE:
      n->style = (n->style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      n->style = (n->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
      break;
    default:
      n->style |= WS_VISIBLE;
      break;
  }
  return wasVisible;
}

BOOL IsWindowEnabled(HWND window) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = Find(t, window);
  return n != nullptr && (n->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = Find(t, window);
  if (n == nullptr) return FALSE;
  for (; n != nullptr; n = n->parent == nullptr ? nullptr : Find(t, n->parent)) {
    if ((n->style & WS_VISIBLE) == 0) return FALSE;
  }
  return TRUE;
}

LONG GetWindowLongW(HWND window, int index) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = FindWindowNode(t, window);
  if (n == nullptr) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(n->style);
  if (index == GWL_ID) return static_cast<LONG>(n->id);
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

BOOL BringWindowToTop(HWND window) noexcept {
  Tree& t = TheTree();
  std::lock_guard<std::mutex> guard(t.lock);
  const Node* n = FindWindowNode(t, window);
  if (n == nullptr) return FALSE;
  std::vector<HWND>& siblings = Siblings(t, *n);
  const auto at = std::find(siblings.begin(), siblings.end(), window);
  std::rotate(siblings.begin(), at, at + 1);
  return TRUE;
}

BOOL DestroyWindow(HWND window) noexcept {
  Tree& t = TheTree();
  std::vector<std::unique_ptr<CWnd>> wrappers;  // deleted after the lock is released
  {
    std::lock_guard<std::mutex> guard(t.lock);
    Node* n = Find(t, window);
    if (n == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    std::vector<HWND>& siblings = Siblings(t, *n);
    siblings.erase(std::find(siblings.begin(), siblings.end(), window));
    std::vector<HWND> doomed;
    try {
      Collect(t, window, doomed);
      wrappers.reserve(doomed.size());
    } catch (...) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      siblings.push_back(window);
      return FALSE;
    }
    for (HWND h : doomed) {
      Node& d = t.nodes.at(h);
      if (d.attached != nullptr) d.attached->m_hWnd = nullptr;
      if (d.wrapper) {
        d.wrapper->m_hWnd = nullptr;
        wrappers.push_back(std::move(d.wrapper));
      }
      t.nodes.erase(h);
    }
  }
  return TRUE;
}
