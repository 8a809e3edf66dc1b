// Thin wrappers over the common controls: each method is the one message it
// names. They hold the control's HWND and own nothing.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/Window.h"

class TreeView : public Window {
public:
    using Window::Window;

    HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const char* text, int image,
                     int selectedImage) const {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<char*>(text);
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage;
        return reinterpret_cast<HTREEITEM>(
            Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    bool DeleteAll() const { return Send(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT) != 0; }
    HTREEITEM NextItem(HTREEITEM item, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(
            Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Selection() const { return NextItem(nullptr, TVGN_CARET); }
    HTREEITEM FirstVisible() const { return NextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM DropHighlight() const { return NextItem(nullptr, TVGN_DROPHILITE); }
    HTREEITEM Root() const { return NextItem(nullptr, TVGN_ROOT); }
    HTREEITEM Parent(HTREEITEM item) const { return NextItem(item, TVGN_PARENT); }
    HTREEITEM Child(HTREEITEM item) const { return NextItem(item, TVGN_CHILD); }
    bool Select(HTREEITEM item, UINT how) const {
        return Send(TVM_SELECTITEM, how, reinterpret_cast<LPARAM>(item)) != 0;
    }
    bool Expand(HTREEITEM item, UINT action) const {
        return Send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)) != 0;
    }
    UINT ItemState(HTREEITEM item, UINT mask) const {
        return static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    HTREEITEM HitTest(POINT point, UINT* flags = nullptr) const {
        TVHITTESTINFO info{};
        info.pt = point;
        auto item = reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, (LPARAM)&info));
        if (flags)
            *flags = info.flags;
        return item;
    }
    bool ItemRect(HTREEITEM item, RECT* rect, bool textOnly) const {
        *reinterpret_cast<HTREEITEM*>(rect) = item;
        return Send(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)) != 0;
    }
    std::string ItemText(HTREEITEM item) const;
    int ItemHeight() const { return static_cast<short>(Send(TVM_GETITEMHEIGHT)); }
    int Count() const { return static_cast<int>(Send(TVM_GETCOUNT)); }
    HIMAGELIST CreateDragImage(HTREEITEM item) const {
        return reinterpret_cast<HIMAGELIST>(
            Send(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item)));
    }
    void SetImageList(HIMAGELIST list, int which) const {
        Send(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list));
    }
};

class ListView : public Window {
public:
    using Window::Window;

    int InsertColumn(int index, const char* text, int format, int width) const {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = format;
        column.cx = width;
        column.pszText = const_cast<char*>(text);
        column.iSubItem = index;
        return static_cast<int>(Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    }
    int InsertItem(int index, const char* text, int image) const {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = const_cast<char*>(text);
        item.iImage = image;
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemText(int index, int subItem, const char* text) const {
        LVITEMA item{};
        item.iSubItem = subItem;
        item.pszText = const_cast<char*>(text);
        return Send(LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    std::string ItemText(int index, int subItem) const;
    int ItemImage(int index) const;
    bool SetItemImage(int index, int image) const {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        item.iImage = image;
        return Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    bool SetItemState(int index, UINT state, UINT mask) const {
        LVITEMA item{};
        item.stateMask = mask;
        item.state = state;
        return Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    UINT ItemState(int index, UINT mask) const {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, index, mask));
    }
    int NextItem(int start, UINT flags) const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
    }
    bool EnsureVisible(int index, bool partialOk) const {
        return Send(LVM_ENSUREVISIBLE, index, partialOk) != 0;
    }
    bool DeleteAll() const { return Send(LVM_DELETEALLITEMS) != 0; }
    int Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    void SetImageList(HIMAGELIST list, int which) const {
        Send(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list));
    }
    DWORD ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }
};

class Button : public Window {
public:
    using Window::Window;

    int Check() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int state) const { Send(BM_SETCHECK, state); }
    void Click() const { Send(BM_CLICK); }
};

class ComboBox : public Window {
public:
    using Window::Window;

    int Add(const char* text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, index); }
    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    std::string ItemText(int index) const;
};

class Edit : public Window {
public:
    using Window::Window;

    void SetLimit(int bytes) const { Send(EM_LIMITTEXT, bytes); }
    int Limit() const { return static_cast<int>(Send(EM_GETLIMITTEXT)); }
};
