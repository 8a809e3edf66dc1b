// The group tree: a tree view whose groups can be dragged onto other groups
// (or the root) to move them with their subtrees.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "store/ItemStore.h"
#include "ui/Controls.h"
#include "ui/ImageList.h"
#include "ui/SubclassedWindow.h"

class DragTreeCtrl : public SubclassedWindow {
public:
    static constexpr UINT_PTR kScrollUpTimer = 1;
    static constexpr UINT_PTR kScrollDownTimer = 2;
    static constexpr UINT_PTR kExpandTimer = 100;

    DragTreeCtrl() = default;
    ~DragTreeCtrl() override = default;

    void SetItemStore(ItemStore* store) { store_ = store; }
    TreeView Tree() const { return TreeView(hwnd_); }

    bool CheckPossibleDrag(HTREEITEM target);
    void SetScrollTimer(UINT_PTR id, UINT interval = 0);
    void SetExpandTimer(bool run);

    bool IsDragging() const { return dragging_ != 0; }
    HTREEITEM DraggedItem() const { return draggedItem_; }

    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct MemoPair {
        HTREEITEM target;
        int32_t verdict;
    };

    // (members and handlers: see the implementation)
    int32_t verdict_ = 0;
    int32_t memoCount_ = 0;
    MemoPair memo_[kMaxEntries] = {};
    ItemStore* store_ = nullptr;
    ImageList dragImage_;
    int32_t dragging_ = 0;
    HTREEITEM draggedItem_ = nullptr;
};
