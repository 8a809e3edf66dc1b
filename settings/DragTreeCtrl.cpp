#include "settings/DragTreeCtrl.h"

#include <windowsx.h>

#include <utility>

#include "settings/EntryLookup.h"

namespace {

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool IsDragTimer(UINT_PTR id) {
    return id == DragTreeCtrl::kScrollUpTimer || id == DragTreeCtrl::kScrollDownTimer ||
           id == DragTreeCtrl::kExpandTimer;
}

} // namespace

DragTreeCtrl::DragTreeCtrl(std::function<void()> afterDrop) : afterDrop_(std::move(afterDrop)) {}

// A drag still running when the control goes leaves the image-list drag,
// which is shared by the whole process.
DragTreeCtrl::~DragTreeCtrl() {
    if (dragging_) {
        ImageList_DragLeave(nullptr);
        ImageList_EndDrag();
    }
}

bool DragTreeCtrl::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    // Only the left button drags; the ANSI and wide forms keep the drag
    // point in the same place.
    if (header->code != TVN_BEGINDRAGA && header->code != TVN_BEGINDRAGW)
        return false;
    BeginDrag(reinterpret_cast<const NMTREEVIEWA*>(header)->ptDrag);
    *result = 0;
    return true;
}

LRESULT DragTreeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        return OnButtonDown(msg, wParam, lParam);
    case WM_MOUSEMOVE:
        if (dragging_)
            OnMouseMove(PointOf(lParam));
        else
            ClearLastTarget();
        break;
    case WM_LBUTTONUP:
        if (dragging_)
            OnButtonUp(PointOf(lParam));
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag ends where it is, moving
        // nothing.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_)
            EndDrag();
        break;
    case WM_TIMER:
        Invalidate(true);
        // The tree view uses small timer ids of its own (its label-edit timer
        // is 2, and it kills it when it fires): during a drag these ids are
        // the drag's, and the tree must not see them.
        if (dragging_ && IsDragTimer(wParam)) {
            OnDragTimer(wParam);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

// The tree view handles the whole press here, the begin-drag notification
// included, and then marks the pressed item as the drop target (Wine). A
// drag refused meanwhile must not leave that mark behind.
LRESULT DragTreeCtrl::OnButtonDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    dragRefused_ = false;
    LRESULT result = DefaultProc(msg, wParam, lParam);
    if (dragRefused_ && !dragging_)
        Tree().Select(nullptr, TVGN_DROPHILITE);
    dragRefused_ = false;
    return result;
}

// Never the root, which stands for the top level and cannot move.
void DragTreeCtrl::BeginDrag(POINT dragPoint) {
    TreeView tree = Tree();
    HTREEITEM item = tree.HitTest(dragPoint);
    if (dragging_)
        return;
    if (!item || item == tree.Root()) {
        dragRefused_ = true;
        return;
    }
    dragImage_ = MakeDragImage(item);
    if (!dragImage_ || !ImageList_BeginDrag(dragImage_.Handle(), 0, 0, 0)) {
        dragImage_.Reset();
        dragRefused_ = true;
        return;
    }
    dragging_ = 1;
    draggedItem_ = item;
    dropTarget_ = nullptr;
    POINT screen = ToScreen(dragPoint);
    ImageList_DragEnter(nullptr, screen.x, screen.y);
    SetCapture(hwnd_);
    memoCount_ = 0;
    ClearLastTarget();
}

// The tree view's own image of the item. Wine's tree view hands back an
// empty image list; then the item's icon makes the image.
ImageList DragTreeCtrl::MakeDragImage(HTREEITEM item) {
    ImageList image(Tree().CreateDragImage(item));
    if (image && ImageList_GetImageCount(image.Handle()) > 0)
        return image;
    auto icons = reinterpret_cast<HIMAGELIST>(Tree().Send(TVM_GETIMAGELIST, TVSIL_NORMAL));
    TVITEMA info{};
    info.mask = TVIF_HANDLE | TVIF_IMAGE;
    info.hItem = item;
    if (!icons || !Tree().Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info)))
        return {};
    HICON icon = ImageList_GetIcon(icons, info.iImage, ILD_NORMAL);
    if (!icon)
        return {};
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(icons, &width, &height);
    image.Reset(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 0));
    if (image)
        ImageList_ReplaceIcon(image.Handle(), -1, icon);
    DestroyIcon(icon);
    if (!image || ImageList_GetImageCount(image.Handle()) == 0)
        return {};
    return image;
}

void DragTreeCtrl::OnMouseMove(POINT point) {
    verdict_ = 0;
    HTREEITEM hovered = Tree().HitTest(point);
    POINT screen = ToScreen(point);
    ImageList_DragMove(screen.x, screen.y);
    AutoScroll(point.y);
    if (hovered) {
        HighlightTarget(hovered);
        if (hovered != draggedItem_)
            verdict_ = VerdictFor(hovered);
    } else {
        // Over no item the highlight stays where it was.
        SetExpandTimer(false);
    }
    SetCursor(LoadCursorA(nullptr, verdict_ ? IDC_ARROW : IDC_NO));
}

// Within two items of the top or the bottom edge the tree scrolls; the top
// band wins where they overlap.
void DragTreeCtrl::AutoScroll(int y) {
    int height = ClientRect().bottom;
    int band = 2 * Tree().ItemHeight();
    if (y >= 0 && y < band)
        SetScrollTimer(kScrollUpTimer, kScrollInterval);
    else if (y > height - band && y <= height)
        SetScrollTimer(kScrollDownTimer, kScrollInterval);
    else
        SetScrollTimer(0);
}

// Every move over a group with children restarts the expand count, so it
// expands only once the pointer has rested on it.
void DragTreeCtrl::HighlightTarget(HTREEITEM item) {
    TreeView tree = Tree();
    ImageList_DragShowNolock(FALSE);
    tree.Select(item, TVGN_DROPHILITE);
    dropTarget_ = item;
    SetExpandTimer(tree.Child(item) != nullptr);
    ImageList_DragShowNolock(TRUE);
}

bool DragTreeCtrl::VerdictFor(HTREEITEM target) {
    if (lastTarget_ != target) {
        lastTarget_ = target;
        lastVerdict_ = CheckPossibleDrag(target);
    }
    return lastVerdict_ != 0;
}

bool DragTreeCtrl::CheckPossibleDrag(HTREEITEM target) {
    if (!target || target == draggedItem_)
        return false;
    for (int i = 0; i < memoCount_; ++i)
        if (memo_[i].target == target)
            return memo_[i].verdict != 0;
    int dragged = store_ ? FindGroupOfTreeItem(*store_, draggedItem_) : -1;
    if (dragged < 0)
        return false;
    bool verdict = ComputeVerdict(*store_->GetData(dragged), target);
    if (memoCount_ < kMaxEntries)
        memo_[memoCount_++] = MemoPair{target, verdict ? 1 : 0};
    return verdict;
}

bool DragTreeCtrl::ComputeVerdict(const WorkingEntry& dragged, HTREEITEM target) {
    // The group is there already.
    if (dragged.parent == kParentTopLevel && target == Tree().Root())
        return false;
    if (dragged.parent >= 0) {
        int parent = FindEntryById(*store_, dragged.parent);
        if (parent >= 0 && store_->GetData(parent)->kind == KIND_GROUP &&
            store_->GetData(parent)->treeItem == target)
            return false;
    }
    // A group cannot go into its own subtree.
    return !IsInsideDragged(target);
}

bool DragTreeCtrl::IsInsideDragged(HTREEITEM item) {
    TreeView tree = Tree();
    for (HTREEITEM up = tree.Parent(item); up; up = tree.Parent(up))
        if (up == draggedItem_)
            return true;
    return false;
}

// The drop takes the verdict for the item under the pointer at the release,
// which is that of the last move unless the pointer left it without one.
void DragTreeCtrl::OnButtonUp(POINT point) {
    HTREEITEM dragged = draggedItem_;
    HTREEITEM target = Tree().HitTest(point);
    bool allowed = target && target != dragged && !IsInsideDragged(target) && VerdictFor(target);
    EndDrag();
    if (!allowed || !store_)
        return;
    store_->ExchangeData(dragged, target, Tree().Root());
    if (afterDrop_)
        afterDrop_();
}

// Everything a drag set up goes, however it ends.
void DragTreeCtrl::EndDrag() {
    dragging_ = 0;
    if (GetCapture() == hwnd_)
        ReleaseCapture();
    SetScrollTimer(0);
    SetExpandTimer(false);
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    dragImage_.Reset();
    Tree().Select(nullptr, TVGN_DROPHILITE);
    dropTarget_ = nullptr;
}

void DragTreeCtrl::OnDragTimer(UINT_PTR id) {
    if (id == kScrollUpTimer)
        ScrollOneItem(TVGN_PREVIOUSVISIBLE);
    else if (id == kScrollDownTimer)
        ScrollOneItem(TVGN_NEXTVISIBLE);
    else if (id == kExpandTimer && dropTarget_)
        ExpandTarget();
}

// A group expanded once since the last rebuild expands without telling the
// window (TVIS_EXPANDEDONCE), so its entry is marked here: otherwise a group
// dropped into one of its subgroups would end up under a collapsed parent.
void DragTreeCtrl::ExpandTarget() {
    TreeView tree = Tree();
    tree.Expand(dropTarget_, TVE_EXPAND);
    int group = store_ ? FindGroupOfTreeItem(*store_, dropTarget_) : -1;
    if (group >= 0 && (tree.ItemState(dropTarget_, TVIS_EXPANDED) & TVIS_EXPANDED))
        store_->GetData(group)->expanded = 1;
}

void DragTreeCtrl::ScrollOneItem(UINT relation) {
    TreeView tree = Tree();
    HTREEITEM next = tree.NextItem(tree.FirstVisible(), relation);
    if (next)
        tree.Select(next, TVGN_FIRSTVISIBLE);
}

void DragTreeCtrl::SetScrollTimer(UINT_PTR id, UINT interval) {
    if (scrollTimer_ != 0 && scrollTimer_ != id)
        KillTimer(hwnd_, scrollTimer_);
    if (id != 0 && id != scrollTimer_)
        SetTimer(hwnd_, id, interval, nullptr);
    scrollTimer_ = id;
}

void DragTreeCtrl::SetExpandTimer(bool run) {
    if (run)
        SetTimer(hwnd_, kExpandTimer, kExpandInterval, nullptr);
    else
        KillTimer(hwnd_, kExpandTimer);
    expandTimerRunning_ = run;
}

POINT DragTreeCtrl::ToScreen(POINT point) const {
    ClientToScreen(hwnd_, &point);
    return point;
}
