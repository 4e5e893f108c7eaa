// EnableAllWindow and ShowAllWindow: only the direct children change; grandchildren, the
// parent and other windows keep their state; a null parent does nothing.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A parent with three children, each with two children of its own, and a sibling of the parent.
struct Tree {
  CWnd parent, sibling;
  std::vector<std::unique_ptr<CWnd>> children, grandchildren;
  explicit Tree(DWORD style) {
    EXPECT_TRUE(parent.Create(u"parent", style, nullptr));
    EXPECT_TRUE(sibling.Create(u"sibling", style, nullptr));
    for (int i = 0; i < 3; ++i) {
      children.push_back(std::make_unique<CWnd>());
      EXPECT_TRUE(children.back()->Create(u"child", style, &parent));
      for (int j = 0; j < 2; ++j) {
        grandchildren.push_back(std::make_unique<CWnd>());
        EXPECT_TRUE(grandchildren.back()->Create(u"grandchild", style, children.back().get()));
      }
    }
  }
  // Whether the bit is set on the parent and sibling, on every child, on every grandchild;
  // -1 where the windows of one kind disagree.
  std::vector<int> Bits(DWORD bit) const {
    const auto all = [bit](const std::vector<const CWnd*>& windows) {
      int state = (windows[0]->GetStyle() & bit) != 0;
      for (const CWnd* w : windows) state = state == ((w->GetStyle() & bit) != 0) ? state : -1;
      return state;
    };
    std::vector<const CWnd*> kids, grandkids;
    for (const auto& w : children) kids.push_back(w.get());
    for (const auto& w : grandchildren) grandkids.push_back(w.get());
    return {all({&parent, &sibling}), all(kids), all(grandkids)};
  }
};

}  // namespace

TEST(AllWindowHelpers, ChangeOnlyTheDirectChildren) {
  enum Target { kParent, kSibling, kNull };
  struct Case {
    const char* what;
    DWORD style;  // of every window of the tree
    bool show;    // ShowAllWindow, else EnableAllWindow
    Target target;
    int value;
    DWORD bit;
    std::vector<int> parentChildrenGrandchildren;
  };
  const Case cases[] = {
      {"disable", WS_VISIBLE, false, kParent, 0, WS_DISABLED, {0, 1, 0}},
      {"any nonzero value enables", WS_VISIBLE | WS_DISABLED, false, kParent, 7, WS_DISABLED, {1, 0, 1}},
      {"hide", WS_VISIBLE, true, kParent, SW_HIDE, WS_VISIBLE, {1, 0, 1}},
      {"show", 0, true, kParent, SW_SHOW, WS_VISIBLE, {0, 1, 0}},
      {"minimize", WS_VISIBLE, true, kParent, SW_MINIMIZE, WS_MINIMIZE, {0, 1, 0}},
      {"a parent without children", WS_VISIBLE, false, kSibling, 0, WS_DISABLED, {0, 0, 0}},
      {"a null parent: enable", WS_VISIBLE, false, kNull, 0, WS_DISABLED, {0, 0, 0}},
      {"a null parent: show", WS_VISIBLE, true, kNull, SW_HIDE, WS_VISIBLE, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tree tree(c.style);
    CWnd* target = c.target == kParent ? &tree.parent : c.target == kSibling ? &tree.sibling : nullptr;
    if (c.show) {
      CUtility::ShowAllWindow(target, c.value);
    } else {
      CUtility::EnableAllWindow(target, c.value);
    }
    EXPECT_EQ(tree.Bits(c.bit), c.parentChildrenGrandchildren);
  }
}

TEST(AllWindowHelpers, VisitChildrenThatHaveNoObjectOfTheirOwn) {
  CWnd parent;
  ASSERT_TRUE(parent.Create(u"parent", WS_VISIBLE, nullptr));
  std::vector<HWND> handles;
  for (int i = 0; i < 3; ++i) {
    CWnd child;
    ASSERT_TRUE(child.Create(u"child", WS_VISIBLE, &parent));
    handles.push_back(child.Detach());
  }
  CUtility::EnableAllWindow(&parent, 0);
  CUtility::ShowAllWindow(&parent, SW_HIDE);
  for (HWND h : handles) {
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & static_cast<LONG>(WS_VISIBLE), 0);
  }
  EXPECT_TRUE(parent.IsWindowVisible());
}
