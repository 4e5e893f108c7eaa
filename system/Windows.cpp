// Enabling and showing the direct children of a window, top of the z-order first.
#include <Utility/Platform/Window.h>
#include <Utility/Utility.h>

namespace {

template <class Apply>
void ForEachChild(CWnd* parent, Apply apply) {
  if (parent == nullptr) return;
  CWnd* child = CWnd::FromHandle(::GetWindow(parent->GetSafeHwnd(), GW_CHILD));
  while (child != nullptr) {
    apply(*child);
    child = CWnd::FromHandle(::GetWindow(child->GetSafeHwnd(), GW_HWNDNEXT));
  }
}

}  // namespace

void CUtility::EnableAllWindow(CWnd* parent, int enable) {
  ForEachChild(parent, [enable](CWnd& child) { child.EnableWindow(enable); });
}

void CUtility::ShowAllWindow(CWnd* parent, int show) {
  ForEachChild(parent, [show](CWnd& child) { child.ShowWindow(show); });
}
