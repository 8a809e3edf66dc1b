#include "ui/Controls.h"

std::string TreeView::ItemText(HTREEITEM item) const {
    char text[260] = {};
    TVITEMA info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info)))
        return {};
    return text;
}

std::string ListView::ItemText(int index, int subItem) const {
    char text[520] = {};
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    Send(LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListView::ItemImage(int index) const {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    if (!Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

std::string ComboBox::ItemText(int index) const {
    auto length = Send(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}
