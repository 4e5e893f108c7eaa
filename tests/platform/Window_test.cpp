// The in-process window tree: z-order, relations, states, FromHandle and whole subtrees.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Window.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <tuple>
#include <vector>

namespace {

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> order;
  for (HWND w = GetWindow(parent, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) order.push_back(w);
  return order;
}

}  // namespace

TEST(WindowTree, KeepsChildrenInCreationOrderUntilOneIsBroughtToTop) {
  CWnd parent, a, b, c;
  ASSERT_TRUE(parent.Create(u"parent", WS_VISIBLE, nullptr));
  ASSERT_TRUE(a.Create(u"a", WS_VISIBLE, &parent, 1));
  ASSERT_TRUE(b.Create(u"b", WS_VISIBLE, &parent, 2));
  ASSERT_TRUE(c.Create(u"c", 0, &parent, 3));
  const HWND p = parent.m_hWnd;
  EXPECT_EQ(Children(p), (std::vector<HWND>{a.m_hWnd, b.m_hWnd, c.m_hWnd}));
  EXPECT_TRUE(BringWindowToTop(c.m_hWnd));
  EXPECT_EQ(Children(p), (std::vector<HWND>{c.m_hWnd, a.m_hWnd, b.m_hWnd}));
  EXPECT_EQ(GetWindow(a.m_hWnd, GW_HWNDFIRST), c.m_hWnd);
  EXPECT_EQ(GetWindow(a.m_hWnd, GW_HWNDLAST), b.m_hWnd);
  EXPECT_EQ(GetWindow(c.m_hWnd, GW_HWNDPREV), nullptr);
  EXPECT_EQ(GetParent(b.m_hWnd), p);
  EXPECT_EQ(b.GetDlgCtrlID(), 2);
  EXPECT_NE(b.GetStyle() & WS_CHILD, 0u);  // a window with a parent is always a child
  // FromHandle gives the attached object; a second Create of one object fails.
  EXPECT_EQ(CWnd::FromHandle(b.m_hWnd), &b);
  EXPECT_EQ(parent.GetWindow(GW_CHILD), &c);
  EXPECT_FALSE(a.Create(u"twice", 0, &parent));
  EXPECT_EQ(Children(p).size(), 3u);
}

TEST(WindowTree, EnableAndShowChangeOnlyTheWindowAndReportThePreviousState) {
  CWnd parent, child;
  ASSERT_TRUE(parent.Create(u"parent", WS_VISIBLE, nullptr));
  ASSERT_TRUE(child.Create(u"child", WS_VISIBLE, &parent));
  EXPECT_FALSE(EnableWindow(child.m_hWnd, FALSE));  // it was enabled
  EXPECT_FALSE(child.IsWindowEnabled());
  EXPECT_TRUE(parent.IsWindowEnabled());
  EXPECT_TRUE(EnableWindow(child.m_hWnd, TRUE));  // it was disabled
  EXPECT_TRUE(child.IsWindowEnabled());

  EXPECT_TRUE(ShowWindow(parent.m_hWnd, SW_HIDE));  // it was visible
  // The child keeps its own flag but is not visible while its parent is hidden.
  EXPECT_NE(child.GetStyle() & WS_VISIBLE, 0u);
  EXPECT_FALSE(child.IsWindowVisible());
  EXPECT_FALSE(ShowWindow(parent.m_hWnd, SW_SHOW));  // it was hidden
  EXPECT_TRUE(child.IsWindowVisible());

  // command, the styles it sets, the styles it clears
  const std::tuple<int, DWORD, DWORD> cases[] = {{SW_MINIMIZE, WS_VISIBLE | WS_MINIMIZE, WS_MAXIMIZE},
                                                 {SW_MAXIMIZE, WS_VISIBLE | WS_MAXIMIZE, WS_MINIMIZE},
                                                 {SW_RESTORE, WS_VISIBLE, WS_MINIMIZE | WS_MAXIMIZE},
                                                 {SW_HIDE, 0, WS_VISIBLE},
                                                 {SW_FORCEMINIMIZE, WS_VISIBLE | WS_MINIMIZE, 0}};
  for (const auto& [command, set, clear] : cases) {
    child.ShowWindow(command);
    EXPECT_EQ(child.GetStyle() & (set | clear), set) << command;
  }
  const DWORD before = child.GetStyle();
  for (int bad : {-1, 12}) {
    SCOPED_TRACE(bad);
    SetLastError(0);
    EXPECT_FALSE(child.ShowWindow(bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(child.GetStyle(), before);
  }
}

TEST(WindowTree, DestroyingAWindowDestroysItsSubtree) {
  CWnd parent;
  auto child = std::make_unique<CWnd>();
  CWnd grandchild, sibling;
  ASSERT_TRUE(parent.Create(u"parent", WS_VISIBLE, nullptr));
  ASSERT_TRUE(child->Create(u"child", WS_VISIBLE, &parent));
  ASSERT_TRUE(sibling.Create(u"sibling", WS_VISIBLE, &parent));
  ASSERT_TRUE(grandchild.Create(u"grandchild", WS_VISIBLE, child.get()));
  const HWND childHandle = child->m_hWnd;
  const HWND grandchildHandle = grandchild.m_hWnd;
  child.reset();  // the object's end destroys its window
  EXPECT_FALSE(IsWindow(childHandle));
  EXPECT_FALSE(IsWindow(grandchildHandle));
  EXPECT_EQ(grandchild.m_hWnd, nullptr);
  EXPECT_EQ(Children(parent.m_hWnd), std::vector<HWND>{sibling.m_hWnd});
  SetLastError(0);  // a stale handle is refused
  EXPECT_EQ(GetWindow(childHandle, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(grandchild.DestroyWindow());
  // The object can make a new window afterwards.
  EXPECT_TRUE(grandchild.Create(u"again", 0, &parent));
  EXPECT_NE(grandchild.m_hWnd, grandchildHandle);
}

TEST(WindowTree, SurvivesConcurrentUse) {
  CWnd parent;
  ASSERT_TRUE(parent.Create(u"parent", WS_VISIBLE, nullptr));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&parent] {
      for (int i = 0; i < 200; ++i) {
        CWnd child;
        ASSERT_TRUE(child.Create(u"child", WS_VISIBLE, &parent));
        child.EnableWindow(FALSE);
        for (HWND w : Children(parent.m_hWnd)) IsWindowVisible(w);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(GetWindow(parent.m_hWnd, GW_CHILD), nullptr);
}
