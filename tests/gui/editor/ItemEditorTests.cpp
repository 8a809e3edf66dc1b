// The item editor run modally as the commands run it, driven from inside its
// modal loop: controls filled and read back, buttons pressed, the refusals'
// message boxes and the Open File dialog answered.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/ItemEditorDialog.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/GuiTest.h"
#include "ui/Application.h"

namespace {

LaunchEntry MakeEntry(int kind, const char* name, const char* path, int id = 7, int parent = 3) {
    LaunchEntry entry = EmptyLaunchEntry();
    std::strcpy(entry.name, name);
    std::strcpy(entry.path, path);
    entry.kind = kind;
    entry.parent = parent;
    entry.id = id;
    return entry;
}

std::string Text(HWND dialog, int id) {
    return DialogItemText(dialog, id);
}
void SetText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}
int Selection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}
bool Visible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != 0;
}
bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

// What the path row shows: the path edit with Browse, or scheme and URL.
void ExpectFileRow(HWND dialog, bool browseEnabled) {
    EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH_LABEL), "ファイル名");
    EXPECT_TRUE(Visible(dialog, IDC_EDITOR_PATH));
    EXPECT_TRUE(Visible(dialog, IDC_EDITOR_BROWSE));
    EXPECT_EQ(Enabled(dialog, IDC_EDITOR_BROWSE), browseEnabled);
    EXPECT_FALSE(Visible(dialog, IDC_EDITOR_SCHEME));
    EXPECT_FALSE(Visible(dialog, IDC_EDITOR_URL));
}
void ExpectUrlRow(HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH_LABEL), "URL");
    EXPECT_FALSE(Visible(dialog, IDC_EDITOR_PATH));
    EXPECT_FALSE(Visible(dialog, IDC_EDITOR_BROWSE));
    EXPECT_TRUE(Visible(dialog, IDC_EDITOR_SCHEME));
    EXPECT_TRUE(Visible(dialog, IDC_EDITOR_URL));
}

// Runs the editor; the steps get the editor and the windows it opens.
INT_PTR RunEditor(ItemEditorDialog& editor, std::vector<DialogScript::Step> steps,
                  int* seen = nullptr) {
    DialogScript script(std::move(steps));
    INT_PTR result = editor.RunModal();
    if (seen)
        *seen = script.Seen();
    return result;
}

const std::string kLongRest(300, 'a');

} // namespace

TEST(ItemEditorAddMode, StartsAsFileEntryWithFirstScheme) {
    ItemEditorDialog editor;
    EXPECT_EQ(editor.Entry().id, kNoId);
    EXPECT_EQ(editor.Entry().parent, kParentTopLevel);
    EXPECT_EQ(editor.Entry().kind, KIND_FILE);

    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   EXPECT_EQ(WindowCaption(dialog), "追加");
                                   EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), KIND_FILE);
                                   EXPECT_EQ(Selection(dialog, IDC_EDITOR_SCHEME), 0);
                                   EXPECT_TRUE(Enabled(dialog, IDC_EDITOR_KIND));
                                   EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "");
                                   ExpectFileRow(dialog, true);

                                   ComboBox kinds(GetDlgItem(dialog, IDC_EDITOR_KIND));
                                   ASSERT_EQ(kinds.Count(), 3);
                                   EXPECT_EQ(kinds.ItemText(0), "ファイル");
                                   EXPECT_EQ(kinds.ItemText(1), "グループ");
                                   EXPECT_EQ(kinds.ItemText(2), "URL");
                                   ComboBox schemes(GetDlgItem(dialog, IDC_EDITOR_SCHEME));
                                   ASSERT_EQ(schemes.Count(), 2);
                                   EXPECT_EQ(schemes.ItemText(0), "http://");
                                   EXPECT_EQ(schemes.ItemText(1), "https://");
                                   PressButton(dialog, IDCANCEL);
                               }});
    EXPECT_EQ(result, IDCANCEL);
}

TEST(ItemEditorAddMode, OkReturnsTheTypedFileEntryKeepingParentAndId) {
    ItemEditorDialog editor;
    editor.Entry().parent = 4;
    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   SetText(dialog, IDC_EDITOR_NAME, "メモ帳");
                                   SetText(dialog, IDC_EDITOR_PATH, "C:\\windows\\notepad.exe");
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_STREQ(editor.Entry().name, "メモ帳");
    EXPECT_STREQ(editor.Entry().path, "C:\\windows\\notepad.exe");
    EXPECT_EQ(editor.Entry().kind, KIND_FILE);
    EXPECT_EQ(editor.Entry().parent, 4);
    EXPECT_EQ(editor.Entry().id, kNoId);
}

TEST(ItemEditorAddMode, NameOfBlanksAndGroupWithoutPathAreAccepted) {
    ItemEditorDialog editor;
    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   SetText(dialog, IDC_EDITOR_NAME, "   ");
                                   ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_GROUP);
                                   ExpectFileRow(dialog, false);
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_STREQ(editor.Entry().name, "   ");
    EXPECT_STREQ(editor.Entry().path, "");
    EXPECT_EQ(editor.Entry().kind, KIND_GROUP);
}

TEST(ItemEditorKindSwitching, HiddenTextsSurviveAndUrlReplacesThePath) {
    ItemEditorDialog editor;
    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   SetText(dialog, IDC_EDITOR_NAME, "サイト");
                                   SetText(dialog, IDC_EDITOR_PATH, "C:\\a.txt");
                                   ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_URL);
                                   ExpectUrlRow(dialog);
                                   SetText(dialog, IDC_EDITOR_URL, "example.org/");
                                   ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_FILE);
                                   ExpectFileRow(dialog, true);
                                   EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), "C:\\a.txt");
                                   EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), "example.org/");
                                   ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_URL);
                                   ChooseListEntry(dialog, IDC_EDITOR_SCHEME, 1);
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_STREQ(editor.Entry().path, "https://example.org/");
    EXPECT_EQ(editor.Entry().kind, KIND_URL);
}

struct EditModeCase {
    const char* label;
    int kind;
    const char* path;
    int scheme;          // selection expected in the scheme list (-1 none)
    const char* urlEdit; // text expected in the URL edit
};

void PrintTo(const EditModeCase& c, std::ostream* out) {
    *out << c.label;
}

class ItemEditorEditMode : public testing::TestWithParam<EditModeCase> {};

TEST_P(ItemEditorEditMode, ShowsTheEntryWithTheKindLocked) {
    const EditModeCase& c = GetParam();
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(c.kind, "項目", c.path));
    INT_PTR result = RunEditor(editor, {[&c](HWND dialog) {
                                   EXPECT_EQ(WindowCaption(dialog), "編集");
                                   EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), c.kind);
                                   EXPECT_FALSE(Enabled(dialog, IDC_EDITOR_KIND));
                                   EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "項目");
                                   if (c.kind == KIND_URL) {
                                       ExpectUrlRow(dialog);
                                       EXPECT_EQ(Selection(dialog, IDC_EDITOR_SCHEME), c.scheme);
                                       EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), c.urlEdit);
                                   } else {
                                       ExpectFileRow(dialog, c.kind == KIND_FILE);
                                       EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH),
                                                 c.kind == KIND_FILE ? c.path : "");
                                   }
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    // OK gives back the entry as shown: a group's path is what its empty
    // path edit held, a URL without a listed scheme stays as it was.
    EXPECT_STREQ(editor.Entry().path, c.kind == KIND_GROUP ? "" : c.path);
    EXPECT_EQ(editor.Entry().kind, c.kind);
    EXPECT_EQ(editor.Entry().id, 7);
    EXPECT_EQ(editor.Entry().parent, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ItemEditorEditMode,
    testing::Values(EditModeCase{"File", KIND_FILE, "C:\\tools\\a.exe", -1, ""},
                    EditModeCase{"Group", KIND_GROUP, "leftover", -1, ""},
                    EditModeCase{"Http", KIND_URL, "http://example.org/", 0, "example.org/"},
                    EditModeCase{"Https", KIND_URL, "https://example.org/", 1, "example.org/"},
                    EditModeCase{"NoScheme", KIND_URL, "ftp://example.org/", -1,
                                 "ftp://example.org/"},
                    EditModeCase{"UpperCaseScheme", KIND_URL, "HTTP://example.org/", -1,
                                 "HTTP://example.org/"}),
    [](const testing::TestParamInfo<EditModeCase>& info) { return info.param.label; });

TEST(ItemEditorEditModeUnknownKind, KeepsTheKindItCameWith) {
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(7, "奇妙", "x"));
    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), CB_ERR);
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(editor.Entry().kind, 7);
}

struct RefusalCase {
    const char* label;
    int kind;
    const char* name;
    const char* path;
    std::string url;
    int scheme;
    const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.label;
}

class ItemEditorRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ItemEditorRefusal, ShowsTheMessageAndStaysOpenWithTheTexts) {
    const RefusalCase& c = GetParam();
    ItemEditorDialog editor;
    SeenMessage seen;
    int dialogs = 0;
    INT_PTR result = RunEditor(editor,
                               {[&c](HWND dialog) {
                                    ChooseListEntry(dialog, IDC_EDITOR_KIND, c.kind);
                                    if (c.scheme != 0)
                                        ChooseListEntry(dialog, IDC_EDITOR_SCHEME, c.scheme);
                                    SetText(dialog, IDC_EDITOR_NAME, c.name);
                                    SetText(dialog, IDC_EDITOR_PATH, c.path);
                                    SetText(dialog, IDC_EDITOR_URL, c.url);
                                    PressButton(dialog, IDOK);
                                    // The box has been answered; the editor is still there as
                                    // typed.
                                    EXPECT_TRUE(IsWindowVisible(dialog));
                                    EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), c.name);
                                    EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), c.path);
                                    EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), c.url);
                                    EXPECT_EQ(Selection(dialog, IDC_EDITOR_KIND), c.kind);
                                    PressButton(dialog, IDCANCEL);
                                },
                                [&seen](HWND box) {
                                    EXPECT_TRUE(IsMessageBox(box));
                                    seen = AnswerMessageBox(box);
                                }},
                               &dialogs);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(seen.text, c.message);
    EXPECT_EQ(seen.caption, Application::Instance().Name());
    EXPECT_TRUE(seen.exclamation);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ItemEditorRefusal,
    testing::Values(
        RefusalCase{"EmptyName", KIND_FILE, "", "C:\\a.exe", "", 0, "名前を入力してください"},
        RefusalCase{"EmptyNameGroup", KIND_GROUP, "", "", "", 0, "名前を入力してください"},
        RefusalCase{"EmptyFilePath", KIND_FILE, "名", "", "", 0, "ファイル名を入力してください"},
        RefusalCase{"EmptyUrl", KIND_URL, "名", "C:\\a.exe", "", 0, "URLを入力してください"},
        // 8 bytes of scheme and 252 of rest: one more than the path holds.
        RefusalCase{"UrlTooLong", KIND_URL, "名", "", std::string(252, 'a'), 1, "URLが長すぎます"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.label; });

TEST(ItemEditorUrl, LongestUrlThatFitsIsStoredWhole) {
    ItemEditorDialog editor;
    std::string rest(251, 'b');
    INT_PTR result = RunEditor(editor, {[&rest](HWND dialog) {
                                   ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_URL);
                                   ChooseListEntry(dialog, IDC_EDITOR_SCHEME, 1);
                                   SetText(dialog, IDC_EDITOR_NAME, "長い");
                                   SetText(dialog, IDC_EDITOR_URL, rest);
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(std::string(editor.Entry().path), "https://" + rest);
}

TEST(ItemEditorUrl, WithoutSchemeTheTypedTextIsTheWholeUrl) {
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(KIND_URL, "FTP", "ftp://old/"));
    INT_PTR result = RunEditor(editor, {[](HWND dialog) {
                                   SetText(dialog, IDC_EDITOR_URL, "mailto:someone@example.org");
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_STREQ(editor.Entry().path, "mailto:someone@example.org");
}

// Both edits take at most what their fields hold, counted in bytes: a
// change that would not fit is taken back, the text before it kept.
struct LimitCase {
    const char* label;
    int edit;
    std::string before;
    std::string typed;
    std::string after;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
    *out << c.label;
}

class ItemEditorLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(ItemEditorLimit, TypingPastTheFieldIsTakenBack) {
    const LimitCase& c = GetParam();
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(KIND_URL, "名", "http://x"));
    RunEditor(editor, {[&c](HWND dialog) {
                  SetText(dialog, c.edit, c.before);
                  HWND edit = GetDlgItem(dialog, c.edit);
                  SendMessageA(edit, EM_SETSEL, c.before.size(), c.before.size());
                  SendMessageA(edit, EM_REPLACESEL, TRUE,
                               reinterpret_cast<LPARAM>(c.typed.c_str()));
                  EXPECT_EQ(Text(dialog, c.edit), c.after);
                  PressButton(dialog, IDCANCEL);
              }});
}

const std::string k62(62, 'n');
// 32 double-byte characters: 64 bytes, one past the name's field.
const std::string kKanji32 = [] {
    std::string text;
    for (int i = 0; i < 32; ++i)
        text += "漢";
    return text;
}();
const std::string k258(258, 'u');

INSTANTIATE_TEST_SUITE_P(
    Edits, ItemEditorLimit,
    testing::Values(LimitCase{"NameSingleByteFits", IDC_EDITOR_NAME, k62, "x", k62 + "x"},
                    LimitCase{"NameSingleBytePast", IDC_EDITOR_NAME, k62 + "x", "y", k62 + "x"},
                    LimitCase{"NameDoubleBytePast", IDC_EDITOR_NAME, k62, "名", k62},
                    LimitCase{"NameDoubleByteFits", IDC_EDITOR_NAME, std::string(61, 'n'), "名",
                              std::string(61, 'n') + "名"},
                    LimitCase{"NamePastedKanji", IDC_EDITOR_NAME, "前", kKanji32, "前"},
                    LimitCase{"UrlDoubleBytePast", IDC_EDITOR_URL, k258, "あ", k258},
                    LimitCase{"UrlFits", IDC_EDITOR_URL, k258, "/", k258 + "/"}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.label; });

TEST(ItemEditorLimit, TextSetPastTheFieldKeepsThePreviousText) {
    ItemEditorDialog editor;
    std::string kanji32;
    for (int i = 0; i < 32; ++i)
        kanji32 += "漢"; // 64 bytes
    RunEditor(editor, {[&kanji32](HWND dialog) {
                  SetText(dialog, IDC_EDITOR_NAME, "前");
                  SetText(dialog, IDC_EDITOR_NAME, kanji32);
                  EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "前");
                  SetText(dialog, IDC_EDITOR_URL, kLongRest);
                  EXPECT_EQ(Text(dialog, IDC_EDITOR_URL), "");
                  PressButton(dialog, IDCANCEL);
              }});
}

TEST(ItemEditorLimit, EditModeShowsAFullNameWhole) {
    std::string name = std::string(61, 'n') + "名"; // 63 bytes
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(KIND_GROUP, name.c_str(), ""));
    INT_PTR result = RunEditor(editor, {[&name](HWND dialog) {
                                   EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), name);
                                   PressButton(dialog, IDOK);
                               }});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(std::string(editor.Entry().name), name);
}

TEST(ItemEditorLimit, EditModeCutsAnUnterminatedNameAtACharacter) {
    LaunchEntry entry = MakeEntry(KIND_GROUP, "", "");
    // 62 single bytes and a double-byte character across the field's end.
    std::memset(entry.name, 'n', 62);
    entry.name[62] = '\x8A';
    entry.name[63] = '\xBF';
    ItemEditorDialog editor;
    editor.SetEntry(entry);
    INT_PTR result = RunEditor(editor, {[](HWND dialog) { PressButton(dialog, IDOK); }});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(std::string(editor.Entry().name), std::string(62, 'n'));
}

// The Open File dialog that Browse opens, answered with a typed file name.
DialogScript::Step ChooseFile(const std::string& path, HWND* owner = nullptr) {
    return [path, owner](HWND chooser) {
        if (owner)
            *owner = GetWindow(chooser, GW_OWNER);
        // The file name box of the chooser: an edit in old-style dialogs,
        // a combo box in explorer-style ones.
        constexpr int kFileNameEdit = 0x480;
        constexpr int kFileNameCombo = 0x47c;
        int box = GetDlgItem(chooser, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
        ASSERT_NE(GetDlgItem(chooser, box), nullptr);
        SetDlgItemTextA(chooser, box, path.c_str());
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    };
}

TEST(ItemEditorBrowse, FillsPathAndTheEmptyNameWithTheFileName) {
    TempFolder folder;
    std::string path = folder.File("report.txt"); // need not exist
    ItemEditorDialog editor;
    HWND owner = nullptr;
    HWND editorWindow = nullptr;
    INT_PTR result = RunEditor(editor, {[&](HWND dialog) {
                                            editorWindow = dialog;
                                            PressButton(dialog, IDC_EDITOR_BROWSE);
                                            EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), path);
                                            EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "report.txt");
                                            PressButton(dialog, IDOK);
                                        },
                                        ChooseFile(path, &owner)});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(owner, editorWindow);
    EXPECT_EQ(std::string(editor.Entry().path), path);
    EXPECT_STREQ(editor.Entry().name, "report.txt");
}

TEST(ItemEditorBrowse, KeepsANameAlreadyThere) {
    TempFolder folder;
    std::string path = folder.File("other.txt");
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(KIND_FILE, "私の名前", "C:\\old.txt"));
    RunEditor(editor, {[&](HWND dialog) {
                           PressButton(dialog, IDC_EDITOR_BROWSE);
                           EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), path);
                           EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "私の名前");
                           PressButton(dialog, IDCANCEL);
                       },
                       ChooseFile(path)});
}

TEST(ItemEditorBrowse, CancelledChooserChangesNothing) {
    ItemEditorDialog editor;
    editor.SetEntry(MakeEntry(KIND_FILE, "", "C:\\old.txt"));
    RunEditor(editor, {[&](HWND dialog) {
                           PressButton(dialog, IDC_EDITOR_BROWSE);
                           EXPECT_EQ(Text(dialog, IDC_EDITOR_PATH), "C:\\old.txt");
                           EXPECT_EQ(Text(dialog, IDC_EDITOR_NAME), "");
                           PressButton(dialog, IDCANCEL);
                       },
                       [](HWND chooser) { PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0); }});
}

TEST(ItemEditorBrowse, ALongFileNameIsCutAtACharacterForTheName) {
    TempFolder folder;
    // 61 single bytes, then double-byte characters: 63 bytes end inside one.
    std::string fileName = std::string(61, 'f') + "表表表.txt";
    std::string path = folder.File(fileName.c_str());
    ItemEditorDialog editor;
    INT_PTR result = RunEditor(editor, {[&](HWND dialog) {
                                            PressButton(dialog, IDC_EDITOR_BROWSE);
                                            PressButton(dialog, IDOK);
                                        },
                                        ChooseFile(path)});
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(std::string(editor.Entry().name), std::string(61, 'f') + "表");
    EXPECT_EQ(std::string(editor.Entry().path), path);
}
