// Asks the HTML Help control for what the program asks of Brindleway.chm:
// the two map ids of its prompts, the contents, the index and the search
// page. Wine's control opens its window only for a map id the file defines;
// it shows no page (there is no HTML engine), so the pages themselves are
// checked by check_chm.py.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT kDisplayToc = 0x01;
constexpr UINT kDisplayIndex = 0x02;
constexpr UINT kDisplaySearch = 0x03;
constexpr UINT kHelpContext = 0x0F;

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The control's search request: eight 32-bit fields, only the size set.
struct FtsQuery {
    int cbStruct;
    BOOL fUniCodeStrings;
    LPCSTR pszSearchQuery;
    LONG iProximity;
    BOOL fStemmedSearch;
    BOOL fTitleOnly;
    BOOL fExecute;
    LPCSTR pszWindow;
};

class HelpFile : public testing::Test {
protected:
    void SetUp() override {
        control_ = LoadLibraryA("hhctrl.ocx");
        ASSERT_NE(nullptr, control_);
        htmlHelp_ = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(control_, MAKEINTRESOURCEA(14))));
        ASSERT_NE(nullptr, htmlHelp_);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(BRINDLEWAY_HELP_CHM_PATH))
            << BRINDLEWAY_HELP_CHM_PATH;
    }
    void TearDown() override {
        for (HWND window : opened_) {
            if (IsWindow(window))
                DestroyWindow(window);
        }
    }
    HWND Ask(UINT command, DWORD_PTR data) {
        const HWND window = htmlHelp_(nullptr, BRINDLEWAY_HELP_CHM_PATH, command, data);
        if (window)
            opened_.push_back(window);
        return window;
    }

private:
    HMODULE control_ = nullptr;
    HtmlHelpFn htmlHelp_ = nullptr;
    std::vector<HWND> opened_;
};

TEST_F(HelpFile, MapIdsOfThePromptsOpenTheHelp) {
    EXPECT_NE(nullptr, Ask(kHelpContext, 5001));
    EXPECT_NE(nullptr, Ask(kHelpContext, 5002));
}

TEST_F(HelpFile, AnUnmappedIdOpensNothing) {
    // The control answers from the file's map, not blindly.
    EXPECT_EQ(nullptr, Ask(kHelpContext, 5003));
    EXPECT_EQ(nullptr, Ask(kHelpContext, 7000));
}

TEST_F(HelpFile, ContentsIndexAndSearchOpen) {
    EXPECT_NE(nullptr, Ask(kDisplayToc, 0));
    EXPECT_NE(nullptr, Ask(kDisplayIndex, 0));
    FtsQuery query{};
    query.cbStruct = sizeof query;
    ASSERT_EQ(32, query.cbStruct);
    EXPECT_NE(nullptr, Ask(kDisplaySearch, reinterpret_cast<DWORD_PTR>(&query)));
}

} // namespace
