// A file dropped onto the item editor fills its path row, and its name when
// that is empty; the editor is run modally and driven from inside its run,
// and the entry it gives back after OK is what the user made.
#include <gtest/gtest.h>

#include <string>

#include "DropSupport.h"
#include "dialogs/ItemEditorDialog.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/GuiTest.h"
#include "support/RemovableDrive.h"
#include "ui/Application.h"
#include "ui/WideText.h"

namespace {

LaunchEntry Existing(int kind, const char* name, const char* path) {
    LaunchEntry entry = EmptyLaunchEntry();
    lstrcpynA(entry.name, name, kNameSize);
    lstrcpynA(entry.path, path, kPathSize);
    entry.kind = kind;
    entry.parent = kParentTopLevel;
    entry.id = 4;
    return entry;
}

std::string Text(HWND dialog, int id) {
    return DialogItemText(dialog, id);
}
int Selection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}
bool Visible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != 0;
}

// OK, and Cancel when OK was refused, so that a refusal fails the test
// rather than leaving the editor open.
void PressOk(HWND dialog) {
    PressButton(dialog, IDOK);
    if (IsWindow(dialog) && IsWindowVisible(dialog))
        PressButton(dialog, IDCANCEL);
}

class EditorDropTest : public testing::Test {
protected:
    void SetUp() override {
        files = folder.Path() + "\\ソフト";
        CreateDirectoryA(files.c_str(), nullptr);
        document = files + "\\表計算.xls";
        WriteFileText(document, "x");
        site = files + "\\能楽.url";
        WriteInternetShortcut(site, "https://example.jp/noh");
    }

    // Runs the editor; step gets it once it is open and must end it.
    INT_PTR Run(ItemEditorDialog& editor, const DialogScript::Step& step,
                std::vector<DialogScript::Step> more = {}) {
        more.insert(more.begin(), step);
        DialogScript script(std::move(more));
        return editor.RunModal();
    }

    TempFolder folder;
    std::string files;
    std::string document;
    std::string site;
};

TEST_F(EditorDropTest, AFileFillsThePathAndAnEmptyName) {
    ItemEditorDialog editor;
    INT_PTR result = Run(editor, [&](HWND dialog) {
        DropOnto(dialog, {document, site});
        EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), document);
        EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "表計算");
        EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), KIND_FILE);
        PressOk(dialog);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(editor.Entry().kind, KIND_FILE);
    EXPECT_STREQ(editor.Entry().path, document.c_str());
    EXPECT_STREQ(editor.Entry().name, "表計算");
}

TEST_F(EditorDropTest, ANameAlreadyTypedStays) {
    ItemEditorDialog editor;
    INT_PTR result = Run(editor, [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_EDITOR_NAME, "家計簿");
        DropOnto(dialog, {document});
        PressOk(dialog);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_STREQ(editor.Entry().name, "家計簿");
    EXPECT_STREQ(editor.Entry().path, document.c_str());
}

// A new entry takes the kind of what was dropped: an Internet shortcut's
// address makes it a URL entry, a file afterwards a file entry again.
TEST_F(EditorDropTest, ANewEntryTakesTheKindOfWhatWasDropped) {
    ItemEditorDialog editor;
    INT_PTR result = Run(editor, [&](HWND dialog) {
        DropOnto(dialog, {site});
        EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), KIND_URL);
        EXPECT_TRUE(Visible(dialog, IDC_EDITOR_URL));
        EXPECT_FALSE(Visible(dialog, IDC_EDITOR_PATH));
        EXPECT_EQ(Selection(dialog, IDC_EDITOR_SCHEME), 1); // https://
        EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), "example.jp/noh");
        EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "能楽");
        PressOk(dialog);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(editor.Entry().kind, KIND_URL);
    EXPECT_STREQ(editor.Entry().path, "https://example.jp/noh");

    ItemEditorDialog again;
    result = Run(again, [&](HWND dialog) {
        DropOnto(dialog, {site});
        DropOnto(dialog, {document});
        EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), KIND_FILE);
        EXPECT_TRUE(Visible(dialog, IDC_EDITOR_PATH));
        EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "能楽");
        PressOk(dialog);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(again.Entry().kind, KIND_FILE);
    EXPECT_STREQ(again.Entry().path, document.c_str());
}

// An entry being edited keeps its kind: a file entry takes the dropped
// Internet shortcut itself, a URL entry only an address, a group nothing.
TEST_F(EditorDropTest, AnEditedEntryKeepsItsKind) {
    ItemEditorDialog file;
    file.SetEntry(Existing(KIND_FILE, "old", "C:\\old.txt"));
    ASSERT_EQ(Run(file,
                  [&](HWND dialog) {
                      DropOnto(dialog, {site});
                      PressOk(dialog);
                  }),
              IDOK);
    EXPECT_EQ(file.Entry().kind, KIND_FILE);
    EXPECT_STREQ(file.Entry().path, site.c_str());
    EXPECT_STREQ(file.Entry().name, "old");

    ItemEditorDialog url;
    url.SetEntry(Existing(KIND_URL, "web", "http://old.example/"));
    ASSERT_EQ(Run(url,
                  [&](HWND dialog) {
                      DropOnto(dialog, {document});
                      EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), "old.example/");
                      DropOnto(dialog, {site});
                      PressOk(dialog);
                  }),
              IDOK);
    EXPECT_EQ(url.Entry().kind, KIND_URL);
    EXPECT_STREQ(url.Entry().path, "https://example.jp/noh");

    ItemEditorDialog group;
    group.SetEntry(Existing(KIND_GROUP, "G", ""));
    ASSERT_EQ(Run(group,
                  [&](HWND dialog) {
                      DropOnto(dialog, {document});
                      EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), "");
                      PressOk(dialog);
                  }),
              IDOK);
    EXPECT_EQ(group.Entry().kind, KIND_GROUP);
    EXPECT_STREQ(group.Entry().path, "");
}

TEST_F(EditorDropTest, APathTooLongIsRefusedAndTheFieldsStay) {
    std::string longPath = files + "\\" + std::string(260, 'x') + ".txt";
    ItemEditorDialog editor;
    SeenMessage seen;
    INT_PTR result = Run(editor,
                         [&](HWND dialog) {
                             SetDlgItemTextA(dialog, IDC_EDITOR_PATH, document.c_str());
                             DropOnto(dialog, {longPath});
                             EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), document);
                             EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "");
                             PressButton(dialog, IDCANCEL);
                         },
                         {[&seen](HWND box) { seen = AnswerMessageBox(box); }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(seen.exclamation);
    EXPECT_EQ(seen.caption, Application::Instance().Name());
    EXPECT_NE(Unwrapped(seen.text).find(longPath), std::string::npos) << seen.text;
}

// A name Shift-JIS cannot spell is refused and named as the file system
// spells it, never put into the path changed (Café.pdf as Cafe.pdf would
// open nothing).
TEST_F(EditorDropTest, ANameWithoutAShiftJisFormIsRefusedAndTheFieldsStay) {
    const std::wstring cafe = WideOf(files) + L"\\Caf\u00e9.pdf";
    HANDLE file = CreateFileW(cafe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ItemEditorDialog editor;
    std::wstring seen;
    INT_PTR result = Run(editor,
                         [&](HWND dialog) {
                             SetDlgItemTextA(dialog, IDC_EDITOR_PATH, document.c_str());
                             SendMessageA(dialog, WM_DROPFILES,
                                          reinterpret_cast<WPARAM>(MakeWideDrop({cafe})), 0);
                             EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), document);
                             EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "");
                             PressButton(dialog, IDCANCEL);
                         },
                         {[&seen](HWND box) {
                             wchar_t text[1024] = {};
                             GetDlgItemTextW(box, 0xFFFF, text, 1024);
                             seen = text;
                             PostMessageA(box, WM_COMMAND, IDOK, 0);
                         }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_NE(seen.find(L"Caf\u00e9.pdf"), std::wstring::npos);
    EXPECT_NE(seen.find(WideOf("シフトJISにない文字")), std::wstring::npos);
}

// Run from a removable drive, the editor shows and stores a dropped path on
// that drive without its letter: inside the program's folder relative to
// it, elsewhere from the drive's root. (The tests' prefix has no removable
// drive: the program is told that C: is one.)
TEST_F(EditorDropTest, OnARemovableDriveADroppedPathLosesItsDriveLetter) {
    TempFolder other;
    std::string outside = other.Path() + "\\memo.txt";
    WriteFileText(outside, "x");
    RemovableDrive removable(folder.Path());
    struct Case {
        std::string dropped;
        std::string stored;
    } cases[] = {{document, "ソフト\\表計算.xls"}, {outside, outside.substr(2)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dropped);
        ItemEditorDialog editor;
        editor.SetProgramFolder(folder.Path());
        INT_PTR result = Run(editor, [&](HWND dialog) {
            DropOnto(dialog, {c.dropped});
            EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), c.stored);
            PressOk(dialog);
        });
        ASSERT_EQ(result, IDOK);
        EXPECT_EQ(editor.Entry().path, c.stored);
    }
}

TEST_F(EditorDropTest, TheEditorAcceptsDroppedFiles) {
    ItemEditorDialog editor;
    Run(editor, [&](HWND dialog) {
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        PressButton(dialog, IDCANCEL);
    });
}

} // namespace
