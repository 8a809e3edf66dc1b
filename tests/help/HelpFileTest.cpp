// Asks the HTML Help control for what the program asks of Brindleway.chm:
// the two map ids of its prompts, the contents, the index and the search
// page. Wine's control opens its window only for a map id the file defines;
// it shows no page (there is no HTML engine), so the pages themselves are
// checked by check_chm.py.
#include <windows.h>

#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

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
    EXPECT_NE(nullptr, Ask(HH_HELP_CONTEXT, 5001));
    EXPECT_NE(nullptr, Ask(HH_HELP_CONTEXT, 5002));
}

TEST_F(HelpFile, AnUnmappedIdOpensNothing) {
    // The control answers from the file's map, not blindly.
    EXPECT_EQ(nullptr, Ask(HH_HELP_CONTEXT, 5003));
    EXPECT_EQ(nullptr, Ask(HH_HELP_CONTEXT, 7000));
}

TEST_F(HelpFile, ContentsIndexAndSearchOpen) {
    EXPECT_NE(nullptr, Ask(HH_DISPLAY_TOC, 0));
    EXPECT_NE(nullptr, Ask(HH_DISPLAY_INDEX, 0));
    // The search request as the program makes it: only the size set.
    HH_FTS_QUERY query{};
    query.cbStruct = sizeof query;
    EXPECT_NE(nullptr, Ask(HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query)));
}

} // namespace
