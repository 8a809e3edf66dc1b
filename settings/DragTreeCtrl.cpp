// Placeholder until dragging is built: the tree behaves as a plain tree view.
#include "settings/DragTreeCtrl.h"

bool DragTreeCtrl::CheckPossibleDrag(HTREEITEM) {
    return false;
}
void DragTreeCtrl::SetScrollTimer(UINT_PTR, UINT) {}
void DragTreeCtrl::SetExpandTimer(bool) {}
bool DragTreeCtrl::OnReflectedNotify(NMHDR*, LRESULT*) {
    return false;
}
LRESULT DragTreeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}
