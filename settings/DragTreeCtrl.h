// The group tree: a tree view whose groups can be dragged with the left
// button onto another group (or the root) to move them there with their
// subtrees. While dragging it shows the item's image under the pointer,
// highlights the target, scrolls near its top and bottom edges, expands a
// group the pointer rests on, and shows the no-entry cursor where a drop is
// refused.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>

#include "store/ItemStore.h"
#include "ui/Controls.h"
#include "ui/ImageList.h"
#include "ui/SubclassedWindow.h"

class DragTreeCtrl : public SubclassedWindow {
public:
    static constexpr UINT_PTR kScrollUpTimer = 1;
    static constexpr UINT_PTR kScrollDownTimer = 2;
    static constexpr UINT_PTR kExpandTimer = 100;
    static constexpr UINT kScrollInterval = 300;
    static constexpr UINT kExpandInterval = 1000;

    // afterDrop runs once a drop has changed the store's working table: the
    // settings window rebuilds its views there.
    explicit DragTreeCtrl(std::function<void()> afterDrop = {});
    ~DragTreeCtrl() override;

    void SetItemStore(ItemStore* store) { store_ = store; }
    TreeView Tree() const { return TreeView(hwnd_); }

    // Whether the dragged group may be dropped on the target: anywhere but on
    // itself, its current parent (the root for a top-level group) and its
    // own subtree. Computed once per target and drag.
    bool CheckPossibleDrag(HTREEITEM target);
    // Switches the running scroll timer to id (0: none); the same id keeps
    // running undisturbed.
    void SetScrollTimer(UINT_PTR id, UINT interval = 0);
    void SetExpandTimer(bool run);

    bool IsDragging() const { return dragging_ != 0; }
    HTREEITEM DraggedItem() const { return draggedItem_; }
    UINT_PTR RunningScrollTimer() const { return scrollTimer_; }
    bool ExpandTimerRunning() const { return expandTimerRunning_; }

    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct MemoPair {
        HTREEITEM target;
        int32_t verdict;
    };

    LRESULT OnButtonDown(UINT msg, WPARAM wParam, LPARAM lParam);
    void BeginDrag(POINT dragPoint);
    ImageList MakeDragImage(HTREEITEM item);
    void OnMouseMove(POINT point);
    void OnButtonUp(POINT point);
    void OnDragTimer(UINT_PTR id);
    void ExpandTarget();
    void EndDrag();
    void AutoScroll(int y);
    void HighlightTarget(HTREEITEM item);
    void ScrollOneItem(UINT relation);
    bool VerdictFor(HTREEITEM target);
    bool ComputeVerdict(const WorkingEntry& dragged, HTREEITEM target);
    bool IsInsideDragged(HTREEITEM item);
    void ClearLastTarget() { lastTarget_ = nullptr; }
    POINT ToScreen(POINT point) const;

    int32_t verdict_ = 0;
    int32_t memoCount_ = 0;
    MemoPair memo_[kMaxEntries] = {};
    ItemStore* store_ = nullptr;
    ImageList dragImage_;
    int32_t dragging_ = 0;
    HTREEITEM draggedItem_ = nullptr;

    // The last target of this drag and its verdict, looked at before the
    // memo: mouse moves mostly stay over the same item.
    HTREEITEM lastTarget_ = nullptr;
    int32_t lastVerdict_ = 0;
    // The item last highlighted as the drop target. Wine's tree view keeps
    // no drop highlight on its selected item, so the expand timer goes by
    // this rather than by the highlight.
    HTREEITEM dropTarget_ = nullptr;
    UINT_PTR scrollTimer_ = 0;
    // A begin-drag notification was refused during the current button press.
    bool dragRefused_ = false;
    bool expandTimerRunning_ = false;
    std::function<void()> afterDrop_;
};
