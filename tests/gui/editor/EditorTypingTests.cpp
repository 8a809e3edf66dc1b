// The item editor's edits driven by the keyboard: keys typed into the focused
// edit, Tab to move on, Ctrl+V to paste from the clipboard and Enter for OK,
// all sent as real input; the outcome read from the entry OK gives back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/ItemEditorDialog.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/GuiTest.h"

namespace {

INPUT KeyInput(WORD key, WORD unicode, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = unicode;
    input.ki.dwFlags = flags;
    return input;
}

// Types the text into the focused control as the keyboard does, a key
// press for each character (Shift-JIS text, sent as the characters it
// stands for).
void TypeText(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    std::vector<INPUT> inputs;
    for (wchar_t c : wide) {
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Presses the keys down in order and lets them go in reverse, as for
// Ctrl+V; one key alone is a plain key press.
void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(KeyInput(key, 0, 0));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(KeyInput(*key, 0, KEYEVENTF_KEYUP));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Lets the dialog take the keys waiting in the queue, as its own loop does
// (Tab moves the focus), so that what they did can be read. The loop is the
// wide one, as the dialog's: the narrow one would hand a double-byte
// character to the edit as two characters of one byte each.
void TakeWaitingKeys(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

// The editor's run, started by a step that sends the keys. The keys end
// with Enter, so the editor ends with OK; should OK be refused instead, the
// refusal's text is kept and the editor cancelled, so that the test fails
// rather than hangs.
struct TypedRun {
    INT_PTR result = 0;
    std::string refusal;
};

TypedRun RunTyped(ItemEditorDialog& editor, const std::function<void(HWND)>& keys) {
    TypedRun run;
    HWND editorWindow = nullptr;
    DialogScript script({[&](HWND dialog) {
                             editorWindow = dialog;
                             keys(dialog);
                         },
                         [&](HWND box) {
                             run.refusal = AnswerMessageBox(box).text;
                             PostMessageA(editorWindow, WM_COMMAND, IDCANCEL, 0);
                         }});
    run.result = editor.RunModal();
    return run;
}

} // namespace

TEST(ItemEditorTyping, NameAndFolderPathTypedThenEnter) {
    ItemEditorDialog editor;
    TypedRun run = RunTyped(editor, [](HWND) {
        // The name edit has the focus when the editor opens.
        TypeText("ソフト");
        PressKeys({VK_TAB});
        TypeText("C:\\ソフト\\表示\\");
        PressKeys({VK_RETURN});
    });
    EXPECT_EQ(run.refusal, "");
    ASSERT_EQ(run.result, IDOK);
    EXPECT_STREQ(editor.Entry().name, "ソフト");
    EXPECT_STREQ(editor.Entry().path, "C:\\ソフト\\表示\\");
    EXPECT_EQ(editor.Entry().kind, KIND_FILE);
}

TEST(ItemEditorTyping, PathPastedWithCtrlV) {
    PutOnClipboard("C:\\Program Files\\ツール\\ポケット.exe");
    ItemEditorDialog editor;
    TypedRun run = RunTyped(editor, [](HWND) {
        TypeText("ポケット");
        PressKeys({VK_TAB});
        PressKeys({VK_CONTROL, 'V'});
        PressKeys({VK_RETURN});
    });
    EXPECT_EQ(run.refusal, "");
    ASSERT_EQ(run.result, IDOK);
    EXPECT_STREQ(editor.Entry().path, "C:\\Program Files\\ツール\\ポケット.exe");
}

// The path edit takes at most the 259 bytes of the path's field; a double-
// byte character that would end past them is refused whole, typed or pasted.
TEST(ItemEditorTyping, PathTakesADoubleByteCharacterOnlyWhereItFitsWhole) {
    const std::string base257 = "C:\\" + std::string(254, 'a');
    const std::string base258 = base257 + "a";
    struct Case {
        std::string typed;
        std::string stored;
    };
    for (const Case& c :
         {Case{base257 + "あb", base257 + "あ"}, Case{base258 + "あb", base258 + "b"}}) {
        ItemEditorDialog editor;
        TypedRun run = RunTyped(editor, [&c](HWND) {
            TypeText("長いパス");
            PressKeys({VK_TAB});
            TypeText(c.typed);
            PressKeys({VK_RETURN});
        });
        EXPECT_EQ(run.refusal, "");
        ASSERT_EQ(run.result, IDOK);
        EXPECT_EQ(std::string(editor.Entry().path), c.stored);
    }
}

TEST(ItemEditorTyping, PasteThatWouldEndPastThePathFieldIsRefusedWhole) {
    const std::string base258 = "C:\\" + std::string(255, 'a');
    PutOnClipboard("表");
    ItemEditorDialog editor;
    TypedRun run = RunTyped(editor, [&base258](HWND) {
        TypeText("長いパス");
        PressKeys({VK_TAB});
        TypeText(base258);
        PressKeys({VK_CONTROL, 'V'});
        TypeText("b");
        PressKeys({VK_RETURN});
    });
    EXPECT_EQ(run.refusal, "");
    ASSERT_EQ(run.result, IDOK);
    EXPECT_EQ(std::string(editor.Entry().path), base258 + "b");
}

// A group has no path: its path edit takes no keys.
TEST(ItemEditorTyping, GroupPathEditTakesNoKeys) {
    ItemEditorDialog editor;
    TypedRun run = RunTyped(editor, [](HWND dialog) {
        ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_GROUP);
        TypeText("グループ");
        PressKeys({VK_TAB});
        TypeText("C:\\x");
        PressKeys({VK_RETURN});
    });
    ASSERT_EQ(run.result, IDOK);
    EXPECT_STREQ(editor.Entry().name, "グループ");
    EXPECT_STREQ(editor.Entry().path, "");
    EXPECT_EQ(editor.Entry().kind, KIND_GROUP);
}

// What a URL typed or pasted into the URL edit shows, with "http://"
// selected before, and what OK stores.
struct UrlInputCase {
    const char* label;
    bool pasted; // pasted with Ctrl+V, else typed key by key
    std::string input;
    int scheme; // the scheme list's selection afterwards
    std::string shown;
    std::string stored;
};

void PrintTo(const UrlInputCase& c, std::ostream* out) {
    *out << c.label;
}

class ItemEditorUrlInput : public testing::TestWithParam<UrlInputCase> {};

TEST_P(ItemEditorUrlInput, ShowsAListedSchemeInTheListAndStoresTheUrlOnce) {
    const UrlInputCase& c = GetParam();
    if (c.pasted)
        PutOnClipboard(c.input);
    ItemEditorDialog editor;
    int scheme = -2;
    std::string shown;
    TypedRun run = RunTyped(editor, [&](HWND dialog) {
        ChooseListEntry(dialog, IDC_EDITOR_KIND, KIND_URL);
        TypeText("サイト");
        // Past the scheme list to the URL edit.
        PressKeys({VK_TAB});
        PressKeys({VK_TAB});
        if (c.pasted)
            PressKeys({VK_CONTROL, 'V'});
        else
            TypeText(c.input);
        TakeWaitingKeys(dialog);
        scheme =
            static_cast<int>(SendDlgItemMessageA(dialog, IDC_EDITOR_SCHEME, CB_GETCURSEL, 0, 0));
        shown = DialogItemText(dialog, IDC_EDITOR_URL);
        PressKeys({VK_RETURN});
    });
    EXPECT_EQ(run.refusal, "");
    ASSERT_EQ(run.result, IDOK);
    EXPECT_EQ(scheme, c.scheme);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(std::string(editor.Entry().path), c.stored);
    EXPECT_EQ(editor.Entry().kind, KIND_URL);
}

const std::string kLongHttps = "https://" + std::string(251, 'w'); // 259 bytes

INSTANTIATE_TEST_SUITE_P(
    Urls, ItemEditorUrlInput,
    testing::Values(UrlInputCase{"PastedHttps", true, "https://example.org/a?b=c", 1,
                                 "example.org/a?b=c", "https://example.org/a?b=c"},
                    UrlInputCase{"TypedHttps", false, "https://example.org/", 1, "example.org/",
                                 "https://example.org/"},
                    UrlInputCase{"PastedUpperCaseHttp", true, "HTTP://Example.org/", 0,
                                 "Example.org/", "http://Example.org/"},
                    UrlInputCase{"PastedMailto", true, "mailto:someone@example.org", 0,
                                 "mailto:someone@example.org", "mailto:someone@example.org"},
                    UrlInputCase{"PastedFtp", true, "ftp://files.example.org/", 0,
                                 "ftp://files.example.org/", "ftp://files.example.org/"},
                    // Split, the rest would read as a scheme of its own: kept whole.
                    UrlInputCase{"PastedHttpWithPort", true, "http://localhost:8080/", 0,
                                 "http://localhost:8080/", "http://localhost:8080/"},
                    UrlInputCase{"PastedWithoutScheme", true, "example.org/", 0, "example.org/",
                                 "http://example.org/"},
                    // A scheme begins with a letter: an address with a port is no scheme.
                    UrlInputCase{"PastedAddressWithPort", true, "192.168.0.1:8080/", 0,
                                 "192.168.0.1:8080/", "http://192.168.0.1:8080/"},
                    UrlInputCase{"PastedLongestHttps", true, kLongHttps, 1, kLongHttps.substr(8),
                                 kLongHttps}),
    [](const testing::TestParamInfo<UrlInputCase>& info) { return info.param.label; });
