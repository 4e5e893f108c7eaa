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
  // Each window's own style bit, parent first, then sibling, children and grandchildren.
  std::vector<bool> Bits(DWORD bit) const {
    std::vector<bool> bits = {(parent.GetStyle() & bit) != 0, (sibling.GetStyle() & bit) != 0};
    for (const auto& w : children) bits.push_back((w->GetStyle() & bit) != 0);
    for (const auto& w : grandchildren) bits.push_back((w->GetStyle() & bit) != 0);
    return bits;
  }
};

std::vector<bool> Expect(bool parentAndSibling, bool children, bool grandchildren) {
  std::vector<bool> bits = {parentAndSibling, parentAndSibling};
  bits.insert(bits.end(), 3, children);
  bits.insert(bits.end(), 6, grandchildren);
  return bits;
}

}  // namespace

TEST(EnableAllWindow, ChangesOnlyTheDirectChildren) {
  Tree tree(WS_VISIBLE);
  CUtility::EnableAllWindow(&tree.parent, 0);
  EXPECT_EQ(tree.Bits(WS_DISABLED), Expect(false, true, false));
  EXPECT_TRUE(tree.parent.IsWindowEnabled());
  for (const auto& g : tree.grandchildren) EXPECT_TRUE(g->IsWindowEnabled());
  CUtility::EnableAllWindow(&tree.parent, 7);  // any nonzero value enables
  EXPECT_EQ(tree.Bits(WS_DISABLED), Expect(false, false, false));
}

TEST(EnableAllWindow, EnablesDisabledChildrenAndLeavesDisabledGrandchildren) {
  Tree tree(WS_VISIBLE | WS_DISABLED);
  CUtility::EnableAllWindow(&tree.parent, 1);
  EXPECT_EQ(tree.Bits(WS_DISABLED), Expect(true, false, true));
}

TEST(ShowAllWindow, ChangesOnlyTheDirectChildren) {
  Tree tree(WS_VISIBLE);
  CUtility::ShowAllWindow(&tree.parent, SW_HIDE);
  EXPECT_EQ(tree.Bits(WS_VISIBLE), Expect(true, false, true));
  // Grandchildren keep their own flag, though hidden parents make them invisible on screen.
  for (const auto& g : tree.grandchildren) EXPECT_FALSE(g->IsWindowVisible());
  CUtility::ShowAllWindow(&tree.parent, SW_SHOW);
  EXPECT_EQ(tree.Bits(WS_VISIBLE), Expect(true, true, true));
  for (const auto& g : tree.grandchildren) EXPECT_TRUE(g->IsWindowVisible());
  CUtility::ShowAllWindow(&tree.parent, SW_MINIMIZE);
  EXPECT_EQ(tree.Bits(WS_MINIMIZE), Expect(false, true, false));
}

TEST(ShowAllWindow, ShowsHiddenChildrenOnly) {
  Tree tree(0);
  CUtility::ShowAllWindow(&tree.parent, SW_SHOW);
  EXPECT_EQ(tree.Bits(WS_VISIBLE), Expect(false, true, false));
}

TEST(AllWindowHelpers, DoNothingForANullParentOrAParentWithoutChildren) {
  Tree tree(WS_VISIBLE);
  CUtility::EnableAllWindow(nullptr, 0);
  CUtility::ShowAllWindow(nullptr, SW_HIDE);
  EXPECT_EQ(tree.Bits(WS_DISABLED), Expect(false, false, false));
  EXPECT_EQ(tree.Bits(WS_VISIBLE), Expect(true, true, true));
  CUtility::EnableAllWindow(&tree.sibling, 0);
  CUtility::ShowAllWindow(&tree.sibling, SW_HIDE);
  EXPECT_EQ(tree.Bits(WS_DISABLED), Expect(false, false, false));
  EXPECT_EQ(tree.Bits(WS_VISIBLE), Expect(true, true, true));
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
