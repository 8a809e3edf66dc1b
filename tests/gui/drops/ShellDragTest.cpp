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
#include "support/EditingTestSupport.h"

namespace {

// The shell's data object for files of one folder, as Explorer makes it for
// a selection.
IDataObject* ShellDataObject(const std::string& folderPath, const std::vector<std::string>& names) {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, folderPath.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST folderList = nullptr;
    desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &folderList, nullptr);
    IShellFolder* folder = nullptr;
    desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    std::vector<LPITEMIDLIST> children;
    for (const std::string& name : names) {
        MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
        LPITEMIDLIST child = nullptr;
        folder->ParseDisplayName(nullptr, nullptr, wide, nullptr, &child, nullptr);
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

    IDataObject* data = ShellDataObject(files, {"ソフト能力.txt", "サイト.url"});
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

} // namespace
