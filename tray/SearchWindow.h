// The search window: a small window of the program's own at the pointer,
// where a few typed characters find any entry at any depth. An edit box
// (the input method works in it) over a list of the entries found, each
// with its icon, its name and, in grey, the groups that hold it. Up and
// Down move in the list, Enter or a click chooses, Esc or a click elsewhere
// closes it. It is drawn at the DPI of the monitor it opens on, and again
// at another when it is moved to one.
//
// A chosen entry is sent to the owner as the launcher menu's command of
// that entry (WM_COMMAND with LaunchCommandBase + id), after the window has
// closed, so that it starts exactly as from the menu, with the same keys
// held.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "store/LaunchEntry.h"
#include "ui/Gdi.h"
#include "ui/IconResolver.h"
#include "ui/ImageList.h"
#include "ui/SubclassedWindow.h"

class SearchWindow : private IconResolver::Client {
public:
    SearchWindow() = default;
    ~SearchWindow();
    SearchWindow(const SearchWindow&) = delete;
    SearchWindow& operator=(const SearchWindow&) = delete;

    // Opens the window at the screen point with an empty edit box, over the
    // entries of the table (copied: the window shows them as they were).
    // The icons come from the resolver, at the size of the monitor's DPI;
    // relative paths are resolved against the program's folder.
    bool Open(HWND owner, std::span<const LaunchEntry> table, POINT at, IconResolver* icons,
              const std::string& programFolder);
    // Draws the rows again: an icon every view shows has come.
    void RepaintIcons();
    void Close();
    bool IsOpen() const;

    HWND Handle() const { return hwnd_; }
    HWND EditBox() const { return edit_.Handle(); }
    HWND List() const { return list_.Handle(); }
    // What the list shows: the entries' indexes in the table; empty with no
    // text; -1 alone for the line that says nothing was found.
    std::vector<int> ShownEntries() const;
    // The DPI it is laid out for.
    UINT Dpi() const { return dpi_; }

    // The text of the line shown when nothing is found.
    static const char* NothingFoundText();

private:
    struct Row {
        int entry; // index in the table, -1: the line saying nothing was found
        std::wstring name;
        std::wstring groups;
        int icon;
    };
    class Edit : public SubclassedWindow {
    public:
        explicit Edit(SearchWindow* owner) : owner_(owner) {}

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        SearchWindow* owner_;
    };
    class ListBox : public SubclassedWindow {
    public:
        explicit ListBox(SearchWindow* owner) : owner_(owner) {}

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        SearchWindow* owner_;
    };

    bool CreateWindows();
    void Layout(UINT dpi);
    void Place(POINT at);
    void Refill();
    void MoveSelection(int step);
    void Choose(int row);
    void DrawRow(const DRAWITEMSTRUCT* draw);
    int IconGeneration() const override { return generation_; }
    void ShowIcon(int key, int iconIndex) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HWND hiddenOwner_ = nullptr;
    HWND owner_ = nullptr;
    Edit edit_{this};
    ListBox list_{this};
    std::vector<LaunchEntry> table_;
    std::vector<Row> rows_;
    IconResolver* icons_ = nullptr;
    std::string programFolder_;
    int generation_ = 0;
    UINT dpi_ = 0;
    Font font_;
    int rowHeight_ = 0;
    const wchar_t* separator_ = L" > ";
    // Hiding deactivates the window, which closes it: once is enough.
    bool closing_ = false;
};
