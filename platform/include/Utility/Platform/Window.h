// Windows without a display: an in-process tree of windows, each with a parent, its children
// in z-order (top first), an enabled and a visible state. It holds what hosts and the window
// helpers need, and may be used from any thread (one lock guards the whole tree).
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// Window styles, with their Win32 values.
#define WS_OVERLAPPED 0x00000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_DISABLED 0x08000000u
#define WS_VISIBLE 0x10000000u
#define WS_MINIMIZE 0x20000000u
#define WS_CHILD 0x40000000u
#define WS_POPUP 0x80000000u

// GetWindow() relations.
#define GW_HWNDFIRST 0u
#define GW_HWNDLAST 1u
#define GW_HWNDNEXT 2u
#define GW_HWNDPREV 3u
#define GW_OWNER 4u
#define GW_CHILD 5u

// ShowWindow() commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

// GetWindowLongW() fields.
#define GWL_STYLE (-16)
#define GWL_ID (-12)

// CWnd
//
// A window object of the framework. Create() makes a window and attaches it to the object;
// destroying the object destroys its window (and with it every descendant). FromHandle()
// gives the object of any window: the attached one, or one the platform keeps for the
// window until it is destroyed. The calls on a CWnd whose window is gone fail as the free
// functions below do for a stale handle.
//
// Example:
//   CWnd parent, child;
//   parent.Create(u"Main", WS_VISIBLE, nullptr);
//   child.Create(u"Button", WS_VISIBLE, &parent);
//   child.EnableWindow(FALSE);   // child.IsWindowEnabled() == FALSE
class UTILITY_PLATFORM_API CWnd {
 public:
  CWnd() noexcept = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  // Create()
  //
  // Makes a window named name with style (WS_VISIBLE, WS_DISABLED, ...) under parent (null:
  // a top-level window), attached to this object. A child goes to the bottom of its
  // siblings' z-order and always has WS_CHILD. Returns FALSE when the object already has a
  // window or parent has none (ERROR_INVALID_WINDOW_HANDLE).
  BOOL Create(const char16_t* name, DWORD style, CWnd* parent, UINT id = 0);

  // DestroyWindow(): destroys the window and its descendants; FALSE when there is none.
  BOOL DestroyWindow() noexcept;

  // Detach()
  //
  // Parts the window from this object and returns its handle: the window lives on (until
  // ::DestroyWindow) and FromHandle() then gives an object the platform keeps for it.
  HWND Detach() noexcept;

  // FromHandle()
  //
  // The object of the window; null for a null handle or one that names no window.
  //
  // Example:
  //   CWnd* first = CWnd::FromHandle(::GetWindow(parent.GetSafeHwnd(), GW_CHILD));
  static CWnd* FromHandle(HWND window) noexcept;

  HWND GetSafeHwnd() const noexcept { return m_hWnd; }
  CWnd* GetWindow(UINT relation) const noexcept;
  CWnd* GetParent() const noexcept;
  BOOL EnableWindow(BOOL enable = TRUE) noexcept;
  BOOL ShowWindow(int command) noexcept;
  BOOL IsWindowEnabled() const noexcept;
  BOOL IsWindowVisible() const noexcept;
  DWORD GetStyle() const noexcept;
  int GetDlgCtrlID() const noexcept;

  // The window's handle; null while the object has none.
  HWND m_hWnd = nullptr;
};

// IsWindow(): TRUE while window names a window that has not been destroyed.
UTILITY_PLATFORM_API BOOL IsWindow(HWND window) noexcept;

// GetWindow()
//
// The window in the given relation to window: GW_CHILD its first child (the top of the
// z-order), GW_HWNDNEXT and GW_HWNDPREV the sibling below and above, GW_HWNDFIRST and
// GW_HWNDLAST the top and bottom sibling, GW_OWNER its owner (there are none here). Null
// when there is none; a stale window also sets ERROR_INVALID_WINDOW_HANDLE and an unknown
// relation ERROR_INVALID_PARAMETER.
//
// Example:
//   for (HWND w = GetWindow(parent, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) ...
UTILITY_PLATFORM_API HWND GetWindow(HWND window, UINT relation) noexcept;

// GetParent(): the parent of a child window; null for a top-level or stale window.
UTILITY_PLATFORM_API HWND GetParent(HWND window) noexcept;

// EnableWindow()
//
// Enables (nonzero) or disables (0) the window itself; its children keep their own state.
// Returns nonzero when the window was disabled before the call, 0 when it was enabled (or
// is stale).
UTILITY_PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable) noexcept;

// ShowWindow()
//
// Applies a show command to the window itself: SW_HIDE clears WS_VISIBLE, every other
// command (1 to 11) sets it; the minimising commands (2, 6, 7, 11) also set WS_MINIMIZE,
// SW_MAXIMIZE sets WS_MAXIMIZE, SW_SHOWNORMAL and SW_RESTORE clear both. Returns nonzero
// when the window had WS_VISIBLE before the call. A command outside 0 to 11 changes nothing
// and gives 0 with ERROR_INVALID_PARAMETER.
UTILITY_PLATFORM_API BOOL ShowWindow(HWND window, int command) noexcept;

// IsWindowEnabled(): TRUE when the window itself lacks WS_DISABLED.
UTILITY_PLATFORM_API BOOL IsWindowEnabled(HWND window) noexcept;

// IsWindowVisible(): TRUE when the window and every ancestor have WS_VISIBLE, as on Win32.
// GetWindowLongW(window, GWL_STYLE) gives the window's own flag.
UTILITY_PLATFORM_API BOOL IsWindowVisible(HWND window) noexcept;

// GetWindowLongW(): GWL_STYLE (the style bits) or GWL_ID; 0 with ERROR_INVALID_INDEX for
// another index, with ERROR_INVALID_WINDOW_HANDLE for a stale window.
UTILITY_PLATFORM_API LONG GetWindowLongW(HWND window, int index) noexcept;

// BringWindowToTop(): moves the window to the top of its siblings' z-order.
UTILITY_PLATFORM_API BOOL BringWindowToTop(HWND window) noexcept;

// DestroyWindow()
//
// Destroys the window and all its descendants; their handles become stale and their CWnd
// objects lose them (m_hWnd becomes null). FALSE for a stale window.
UTILITY_PLATFORM_API BOOL DestroyWindow(HWND window) noexcept;
