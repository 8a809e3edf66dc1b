// Dragging groups in the settings window's tree, driven by the control's own
// messages: the begin-drag notification at an item's point, mouse moves and
// the release at item rectangles, timers sent directly, a capture taken away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EditingTestSupport.h"
#include "support/RealInput.h"

namespace {

using Names = std::vector<std::string>;

class DragTreeTest : public EditingTest {
protected:
    // ルート( A( A1( A11 a1-file ) A2 ) B ), every group expanded.
    SettingsWindow& OpenNested() {
        OpenShown({
            {"A", KIND_GROUP, kParentTopLevel}, // 0
            {"A1", KIND_GROUP, 0},              // 1
            {"A11", KIND_GROUP, 1},             // 2
            {"a1-file", KIND_FILE, 1, "C:\\a1.txt"},
            {"A2", KIND_GROUP, 0},              // 4
            {"B", KIND_GROUP, kParentTopLevel}, // 5
        });
        ExpandAll({"A", "A1"});
        return *window;
    }
    SettingsWindow& OpenMany(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back("G" + std::to_string(i));
        std::vector<EntryRow> entries;
        for (const std::string& name : names)
            entries.push_back({name.c_str(), KIND_GROUP, kParentTopLevel});
        return OpenShown(entries);
    }
    void ExpandAll(const Names& groups) {
        for (const std::string& name : groups)
            Tree().Expand(FindItem(name), TVE_EXPAND);
    }

    DragTreeCtrl& Control() { return window->GroupTreeCtrl(); }

    POINT Centre(const std::string& name) const {
        RECT rect{};
        EXPECT_TRUE(Tree().ItemRect(FindItem(name), &rect, true)) << name << " not visible";
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    // A point below the last item, over no item.
    POINT EmptySpace() const {
        RECT client = Tree().ClientRect();
        return POINT{5, client.bottom - 3};
    }

    // The notification the tree sends when the left button drags an item.
    void BeginDrag(const std::string& name, UINT code = TVN_BEGINDRAGA) {
        NMTREEVIEWA info{};
        info.hdr = {Tree().Handle(), IDC_GROUP_TREE, code};
        info.action = 0;
        info.itemNew.hItem = FindItem(name);
        info.ptDrag = Centre(name);
        SendMessageA(Handle(), WM_NOTIFY, IDC_GROUP_TREE, reinterpret_cast<LPARAM>(&info));
    }
    void MoveTo(POINT point) {
        Tree().Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }
    void MoveOver(const std::string& name) { MoveTo(Centre(name)); }
    void ReleaseAt(POINT point) { Tree().Send(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y)); }
    void ReleaseOver(const std::string& name) { ReleaseAt(Centre(name)); }

    static bool NoEntryCursor() { return GetCursor() == LoadCursorA(nullptr, IDC_NO); }
    static bool ArrowCursor() { return GetCursor() == LoadCursorA(nullptr, IDC_ARROW); }

    std::string DropHighlighted() const {
        HTREEITEM item = Tree().DropHighlight();
        return item ? Tree().ItemText(item) : "(none)";
    }

    // The drag has left nothing behind.
    void ExpectNoDragLeft() {
        EXPECT_FALSE(Control().IsDragging());
        EXPECT_NE(GetCapture(), Tree().Handle());
        EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
        EXPECT_EQ(Tree().DropHighlight(), nullptr);
        EXPECT_EQ(Control().RunningScrollTimer(), 0u);
        EXPECT_FALSE(Control().ExpandTimerRunning());
    }
};

TEST_F(DragTreeTest, DraggingAGroupTakesTheMouseAndShowsItsImage) {
    OpenNested();
    SelectGroup("A2");
    BeginDrag("A1");
    EXPECT_TRUE(Control().IsDragging());
    EXPECT_EQ(Control().DraggedItem(), FindItem("A1"));
    EXPECT_EQ(GetCapture(), Tree().Handle());
    EXPECT_NE(ImageList_GetDragImage(nullptr, nullptr), nullptr);
    // A drag does not change the selection.
    EXPECT_EQ(SelectedGroup(), "A2");
    ReleaseAt(EmptySpace());
    ExpectNoDragLeft();
}

TEST_F(DragTreeTest, TheRootAndTheRightButtonStartNoDrag) {
    OpenNested();
    BeginDrag(kRoot);
    MoveOver("B");
    ExpectNoDragLeft();
    BeginDrag("A1", TVN_BEGINRDRAGA);
    MoveOver("B");
    ExpectNoDragLeft();
}

struct DropCase {
    const char* label;
    const char* dragged;
    const char* target; // nullptr: the root
    bool allowed;
    Names order; // the working table afterwards
};

void PrintTo(const DropCase& c, std::ostream* out) {
    *out << c.label;
}

const Names kBefore{"A", "A1", "A11", "a1-file", "A2", "B"};

class DragTreeDropTest : public DragTreeTest, public testing::WithParamInterface<DropCase> {};

TEST_P(DragTreeDropTest, CursorAndReleaseFollowTheVerdict) {
    const DropCase& c = GetParam();
    OpenNested();
    ASSERT_EQ(TableOrder(), kBefore);
    std::string target = c.target ? c.target : kRoot;
    int32_t parentBefore = Entry(c.dragged)->parent;
    BeginDrag(c.dragged);
    MoveOver(target);
    // Wine's tree view shows no drop highlight on its selected item (the
    // root here).
    if (target != SelectedGroup()) {
        EXPECT_EQ(DropHighlighted(), target);
    }
    EXPECT_EQ(ArrowCursor(), c.allowed);
    EXPECT_EQ(NoEntryCursor(), !c.allowed);
    ReleaseOver(target);
    ExpectNoDragLeft();
    EXPECT_EQ(TableOrder(), c.order);
    int32_t targetId = c.target ? Entry(c.target)->id : kParentTopLevel;
    EXPECT_EQ(Entry(c.dragged)->parent, c.allowed ? targetId : parentBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, DragTreeDropTest,
    testing::Values(
        DropCase{"TopLevelGroupOnTheRoot", "A", nullptr, false, kBefore},
        DropCase{
            "NestedGroupOnTheRoot", "A1", nullptr, true, {"A", "A2", "B", "A1", "A11", "a1-file"}},
        DropCase{"OnItsOwnParent", "A1", "A", false, kBefore},
        DropCase{"OnItsChild", "A", "A1", false, kBefore},
        DropCase{"OnADescendantTwoDown", "A", "A11", false, kBefore},
        DropCase{"OnItself", "A1", "A1", false, kBefore},
        DropCase{
            "OnAnotherTopLevelGroup", "A1", "B", true, {"A", "A2", "B", "A1", "A11", "a1-file"}},
        DropCase{"OnASibling", "A2", "A1", true, {"A", "A1", "A11", "a1-file", "A2", "B"}},
        DropCase{"DeepGroupOnACousin", "A11", "A2", true, {"A", "A1", "a1-file", "A2", "A11", "B"}},
        DropCase{
            "OnAGroupElsewhereDeep", "B", "A11", true, {"A", "A1", "A11", "B", "a1-file", "A2"}}),
    [](const testing::TestParamInfo<DropCase>& info) { return info.param.label; });

TEST_F(DragTreeTest, ADropRebuildsTheViewsWithTheTargetExpandedAndTheSelectionKept) {
    OpenNested();
    SelectGroup("A2");
    ASSERT_EQ(Entry("B")->expanded, 0);
    BeginDrag("A1");
    MoveOver("B");
    ReleaseOver("B");
    EXPECT_EQ(Entry("A1")->parent, Entry("B")->id);
    EXPECT_EQ(Entry("B")->expanded, 1);
    EXPECT_EQ(Outline(), "ルート+(A+(A2) B+(A1+(A11)))");
    EXPECT_EQ(SelectedGroup(), "A2");
    EXPECT_EQ(FirstVisibleGroup(), kRoot);
}

TEST_F(DragTreeTest, ReleasingOverNoItemOrTheDraggedGroupMovesNothing) {
    OpenNested();
    BeginDrag("A1");
    MoveOver("B");
    MoveTo(EmptySpace());
    // Over no item the highlight stays on the last target.
    EXPECT_EQ(DropHighlighted(), "B");
    EXPECT_TRUE(NoEntryCursor());
    ReleaseAt(EmptySpace());
    EXPECT_EQ(TableOrder(), kBefore);

    BeginDrag("A1");
    MoveOver("B");
    MoveOver("A1");
    EXPECT_TRUE(NoEntryCursor());
    ReleaseOver("A1");
    EXPECT_EQ(TableOrder(), kBefore);
    ExpectNoDragLeft();
}

TEST_F(DragTreeTest, AReleaseOverAnotherItemTakesThatItemsVerdict) {
    OpenNested();
    BeginDrag("A1");
    MoveOver("B");
    ASSERT_TRUE(ArrowCursor());
    // No move reported between: the release lands on the group's own parent.
    ReleaseOver("A");
    EXPECT_EQ(TableOrder(), kBefore);
}

TEST_F(DragTreeTest, VerdictsAreMemorisedForTheDragAndComputedAfreshForTheNext) {
    OpenNested();
    BeginDrag("A1");
    MoveOver("B");
    ASSERT_TRUE(ArrowCursor());
    // Behind the control's back A1 becomes B's child: B is now its parent.
    Entry("A1")->parent = Entry("B")->id;
    MoveOver("B");
    EXPECT_TRUE(ArrowCursor()); // the last target's verdict
    MoveOver("A2");
    MoveOver("B");
    EXPECT_TRUE(ArrowCursor()); // the memo's verdict
    ReleaseAt(EmptySpace());

    BeginDrag("A1");
    MoveOver("B");
    EXPECT_TRUE(NoEntryCursor());
    ReleaseAt(EmptySpace());
}

TEST_F(DragTreeTest, NearTheEdgesTheTreeScrollsOneItemPerTick) {
    OpenMany(40);
    Tree().Select(FindItem("G10"), TVGN_FIRSTVISIBLE);
    int height = Tree().ClientRect().bottom;
    int item = Tree().ItemHeight();
    BeginDrag("G15");

    MoveTo({5, 1});
    EXPECT_EQ(Control().RunningScrollTimer(), DragTreeCtrl::kScrollUpTimer);
    Tree().Send(WM_TIMER, DragTreeCtrl::kScrollUpTimer);
    EXPECT_EQ(FirstVisibleGroup(), "G9");

    MoveTo({5, height - 1});
    EXPECT_EQ(Control().RunningScrollTimer(), DragTreeCtrl::kScrollDownTimer);
    Tree().Send(WM_TIMER, DragTreeCtrl::kScrollDownTimer);
    Tree().Send(WM_TIMER, DragTreeCtrl::kScrollDownTimer);
    EXPECT_EQ(FirstVisibleGroup(), "G11");

    for (POINT outside : {POINT{5, height / 2}, POINT{5, -5}, POINT{5, height + 5},
                          POINT{5, 2 * item}, POINT{5, height - 2 * item}}) {
        MoveTo(outside);
        EXPECT_EQ(Control().RunningScrollTimer(), 0u) << outside.y;
    }
    ReleaseAt(EmptySpace());
    ExpectNoDragLeft();
}

TEST_F(DragTreeTest, TheScrollTimerRunsOnWhileThePointerStaysInTheBand) {
    OpenMany(40);
    Tree().Select(FindItem("G10"), TVGN_FIRSTVISIBLE);
    BeginDrag("G15");
    POINT band{5, Tree().ClientRect().bottom - 1};
    // The real pointer goes there too: the system reports moves of it to the
    // control while it holds the capture.
    POINT screen = band;
    ClientToScreen(Tree().Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    MoveTo(band);
    // The real timer: it keeps firing, and the tree's own handling of the
    // same timer id does not stop it.
    bool scrolled =
        PumpUntil([this] { return FirstVisibleGroup() == "G13" || !Control().IsDragging(); }, 5000);
    // Where other programs share the display, activating one of their
    // windows takes the capture and ends the drag, as it should.
    if (!Control().IsDragging())
        GTEST_SKIP() << "the mouse capture was taken by another window";
    EXPECT_TRUE(scrolled) << FirstVisibleGroup();
    ReleaseAt(EmptySpace());
}

TEST_F(DragTreeTest, RestingOnACollapsedGroupWithSubgroupsExpandsIt) {
    OpenShown({{"A", KIND_GROUP, kParentTopLevel},
               {"A1", KIND_GROUP, 0},
               {"B", KIND_GROUP, kParentTopLevel},
               {"b-file", KIND_FILE, 2, "C:\\b.txt"}});
    // The group under the pointer is also the selected one.
    SelectGroup("A");
    BeginDrag("B");
    MoveOver("A");
    EXPECT_TRUE(Control().ExpandTimerRunning());
    Tree().Send(WM_TIMER, DragTreeCtrl::kExpandTimer);
    EXPECT_TRUE(Tree().ItemState(FindItem("A"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(Entry("A")->expanded, 1);
    // A group without subgroups has nothing to expand, and no item neither.
    MoveOver("A1");
    EXPECT_FALSE(Control().ExpandTimerRunning());
    MoveOver("A");
    MoveTo(EmptySpace());
    EXPECT_FALSE(Control().ExpandTimerRunning());
    ReleaseAt(EmptySpace());
}

// A group the user has expanded and collapsed again expands without a
// notification; its entry must still learn that it is expanded, or a group
// dropped into one of its subgroups would vanish under it after the rebuild.
TEST_F(DragTreeTest, AGroupExpandedByRestingOnItIsRecordedAlsoWhenItWasExpandedBefore) {
    OpenShown({{"A", KIND_GROUP, kParentTopLevel},
               {"A1", KIND_GROUP, 0},
               {"B", KIND_GROUP, kParentTopLevel}});
    SelectGroup("A");
    PressKey(Tree().Handle(), VK_RIGHT);
    PressKey(Tree().Handle(), VK_LEFT);
    ASSERT_EQ(Entry("A")->expanded, 0);
    ASSERT_TRUE(Tree().ItemState(FindItem("A"), TVIS_EXPANDEDONCE) & TVIS_EXPANDEDONCE);

    BeginDrag("B");
    MoveOver("A");
    Tree().Send(WM_TIMER, DragTreeCtrl::kExpandTimer);
    ASSERT_TRUE(Tree().ItemState(FindItem("A"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(Entry("A")->expanded, 1);
    MoveOver("A1");
    ReleaseOver("A1");
    EXPECT_EQ(Entry("B")->parent, Entry("A1")->id);
    EXPECT_EQ(Outline(), "ルート+(A+(A1+(B)))");
}

// Counts the begin-drag notifications that reach the settings window.
int beginDrags = 0;
WNDPROC windowProc = nullptr;
LRESULT CALLBACK CountBeginDrags(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == TVN_BEGINDRAGA || code == TVN_BEGINDRAGW)
            ++beginDrags;
    }
    return CallWindowProcA(windowProc, hwnd, msg, wParam, lParam);
}

// The tree view marks the item a drag starts from as the drop target; a drag
// the control refuses must not leave that mark behind.
TEST_F(DragTreeTest, PressingOnTheRootAndMovingLeavesNoHighlight) {
    OpenNested();
    SelectGroup("B");
    beginDrags = 0;
    windowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountBeginDrags)));
    POINT root = Centre(kRoot);
    SetForegroundWindow(Handle());
    real_input::MoveTo(real_input::OnScreen(Tree().Handle(), root));
    real_input::LeftButton(true);
    real_input::MoveTo(real_input::OnScreen(Tree().Handle(), {root.x + 30, root.y + 3}));
    real_input::LeftButton(false);
    ASSERT_TRUE(PumpUntil([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }));
    PumpMessages();
    SetWindowLongPtrA(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    // The tree took the press and the move as a drag of the root.
    ASSERT_EQ(beginDrags, 1);
    ExpectNoDragLeft();
    EXPECT_EQ(SelectedGroup(), "B");
}

TEST_F(DragTreeTest, LosingTheCaptureEndsTheDragAndNothingMoves) {
    OpenNested();
    BeginDrag("A1");
    MoveOver("B");
    MoveTo({5, 1});
    ASSERT_TRUE(ArrowCursor() || NoEntryCursor());
    // Another window takes the mouse.
    SetCapture(List().Handle());
    ExpectNoDragLeft();
    ReleaseCapture();
    ReleaseOver("B");
    EXPECT_EQ(TableOrder(), kBefore);
}

} // namespace
