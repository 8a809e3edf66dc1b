// The road the user takes: files dragged from Explorer. The data object is
// the shell's own for real files, as Explorer hands it to the drag; its file
// list (CF_HDROP, made by the shell) reaches the window as the system
// delivers a drop to a window that accepts files: WM_DROPFILES posted with
// the drop point written into the block. (Wine's drag loop delivers drops
// only to registered OLE drop targets, so the loop itself is left out.)
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "DropSupport.h"
#include "support/DialogDriving.h"
#include "support/EditingTestSupport.h"
#include "ui/WideText.h"

namespace {

// The shell's data object for files of one folder, as Explorer makes it for
// a selection; the names as the file system has them.
IDataObject* ShellDataObject(const std::string& folderPath,
                             const std::vector<std::wstring>& names) {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    std::wstring wide = WideOf(folderPath);
    LPITEMIDLIST folderList = nullptr;
    desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &folderList, nullptr);
    IShellFolder* folder = nullptr;
    desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    std::vector<LPITEMIDLIST> children;
    for (std::wstring name : names) {
        LPITEMIDLIST child = nullptr;
        folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child, nullptr);
        children.push_back(child);
    }
    IDataObject* data = nullptr;
    folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                          const_cast<LPCITEMIDLIST*>(children.data()), IID_IDataObject, nullptr,
                          reinterpret_cast<void**>(&data));
    for (LPITEMIDLIST child : children)
        CoTaskMemFree(child);
    CoTaskMemFree(folderList);
    folder->Release();
    desktop->Release();
    return data;
}

// The shell's file list of the data object, copied into a drop block of the
// window's own, as the system delivers it, with the drop point in the
// window's client area.
HDROP DropOfDataObject(IDataObject* data, POINT point) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK)
        return nullptr;
    SIZE_T size = GlobalSize(medium.hGlobal);
    HGLOBAL drop = GlobalAlloc(GHND, size);
    std::memcpy(GlobalLock(drop), GlobalLock(medium.hGlobal), size);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pt = point;
    header->fNC = FALSE;
    GlobalUnlock(drop);
    return static_cast<HDROP>(drop);
}

void CreateFileNamed(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

// A message box's text as wide characters.
std::wstring WideMessageText(HWND box) {
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return text;
}

class ShellDragTest : public EditingTest {
protected:
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override {
        EditingTest::TearDown();
        OleUninitialize();
    }
};

TEST_F(ShellDragTest, FilesFromTheShellLandInTheGroupUnderThePointer) {
    std::string files = folder.Path() + "\\表計算";
    CreateDirectoryA(files.c_str(), nullptr);
    WriteFileText(files + "\\ソフト能力.txt", "x");
    WriteInternetShortcut(files + "\\サイト.url", "https://example.org/");
    OpenShown({{"G", KIND_GROUP, kParentTopLevel}, {"H", KIND_GROUP, kParentTopLevel}});

    IDataObject* data = ShellDataObject(files, {L"ソフト能力.txt", L"サイト.url"});
    ASSERT_NE(data, nullptr);
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&format), S_OK);

    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    data->Release();
    // The drop's own copy of the shell's block, with the point over "H".
    SIZE_T size = GlobalSize(medium.hGlobal);
    HGLOBAL drop = GlobalAlloc(GHND, size);
    std::memcpy(GlobalLock(drop), GlobalLock(medium.hGlobal), size);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    HTREEITEM target = FindItem("H");
    RECT rect{};
    Tree().ItemRect(target, &rect, true);
    header->pt = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MapWindowPoints(Tree().Handle(), Handle(), &header->pt, 1);
    header->fNC = FALSE;
    GlobalUnlock(drop);

    PostMessageA(Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    ASSERT_TRUE(PumpUntil([this] { return Store().GetDataNum() == 4; }));

    EXPECT_EQ(SelectedGroup(), "H");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ソフト能力|" + files + "\\ソフト能力.txt",
                                                "サイト|https://example.org/"}));
}

// Names from the file system that Shift-JIS cannot spell (é, Hangul, an
// emoji) were once stored changed (Cafe.pdf, ??.txt): an entry that never
// opens, which the broken-entry removal then deletes. They are left out and
// named, as the file system spells them, with the reason; the rest of the
// drop is added as usual.
TEST_F(ShellDragTest, NamesWithoutAShiftJisFormAreNamedAndLeftOut) {
    std::string files = folder.Path() + "\\表計算";
    CreateDirectoryA(files.c_str(), nullptr);
    const std::vector<std::wstring> names = {L"Caf\u00e9.pdf", L"\ud55c\uae00.txt",
                                             L"\U0001F600.txt", L"\u30bd\u30d5\u30c8.txt"};
    for (const std::wstring& name : names)
        CreateFileNamed(WideOf(files) + L"\\" + name);
    OpenShown({{"G", KIND_GROUP, kParentTopLevel}});

    IDataObject* data = ShellDataObject(files, names);
    ASSERT_NE(data, nullptr);
    RECT list{};
    GetWindowRect(List().Handle(), &list);
    POINT point{(list.left + list.right) / 2, (list.top + list.bottom) / 2};
    ScreenToClient(Handle(), &point);
    HDROP drop = DropOfDataObject(data, point);
    data->Release();
    ASSERT_NE(drop, nullptr);

    std::vector<std::wstring> seen;
    DialogScript script({[&seen](HWND box) {
        seen.push_back(WideMessageText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }});
    PostMessageA(Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    ASSERT_TRUE(PumpUntil([&] { return script.Seen() == 1 && IsWindowEnabled(Handle()); }));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].find(WideOf("シフトJISにない文字")), std::wstring::npos);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(seen[0].find(names[i]), std::wstring::npos) << i;
    EXPECT_EQ(seen[0].find(names[3]), std::wstring::npos);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"G|Group", "ソフト|" + files + "\\ソフト.txt"}));

    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    ItemStore reader;
    reader.SetDirectory(folder.Path());
    ASSERT_EQ(reader.LoadData(), 1);
    ASSERT_EQ(reader.GetCommittedNum(), 2);
    EXPECT_STREQ(reader.GetCommittedData(1)->path, (files + "\\ソフト.txt").c_str());
}

} // namespace
