// The icons of the entries' files, asked of the shell on threads of their
// own. The shell takes milliseconds per path, and a path on a slow disk or
// an unanswering network drive can hold it for much longer; the window's
// thread never waits for it. A look-up answers at once with what is known
// (the icon kept from before, or -1: none yet) and the answer fills in the
// item later.
//
// Each volume (a drive letter, a network share) has a worker of its own, so
// a share that does not answer holds up only the icons on that share; the
// items on show are asked before the others. A worker with nothing to do
// for a while ends.
//
// The icons are the resolver's own, in image lists it keeps on the
// window's thread: the workers hand over icons, and only the window's
// thread adds them to the lists it draws from. An icon's number is its
// place in the list at the size views show (the system's small-icon size);
// the first places hold the icons every view shows (folders, the program,
// URLs, shell folders), which fill in when they come. A menu on a monitor
// of another DPI draws from a list of its size, filled as its icons come.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/IconImages.h"
#include "ui/ImageList.h"
#include "ui/ShellIcons.h"

class IconResolver : public IconImages {
public:
    // What shows the icons: a menu or a list, rebuilt from time to time.
    // Each build is a generation; an answer reaches an item only while its
    // build is the current one, so a rebuild drops the answers meant for the
    // items it threw away.
    class Client {
    public:
        virtual int IconGeneration() const = 0;
        // The icon of the item with this key (of the current generation) is
        // now known.
        virtual void ShowIcon(int key, int iconIndex) = 0;

    protected:
        ~Client() = default;
    };

    // The places of the icons every view shows.
    enum FixedIcon : int {
        kFolderIcon,
        kOpenFolderIcon,
        kProgramIcon,
        kUrlIcon,
        kMyComputerIcon,
        kMyDocumentsIcon,
        kMyNetworkIcon,
        kFixedIconCount
    };

    // The program's own icon is the module's icon resource of that id.
    explicit IconResolver(int programIconId = 0);
    ~IconResolver();
    IconResolver(const IconResolver&) = delete;
    IconResolver& operator=(const IconResolver&) = delete;

    // The list at the views' size, made at the first call with the program's
    // icon in its place and the other fixed places asked for.
    HIMAGELIST List();
    int ListIconSize() const { return baseSize_; }
    // Called whenever a fixed icon has come into its place: the views that
    // show it draw it again.
    void OnFixedIconCame(std::function<void()> handler) { fixedIconCame_ = std::move(handler); }

    // The icon of the file at the path for the client's item: the icon
    // kept for the path, or -1 when none is known yet. The shell is asked
    // (or, for a kept icon, the file looked at for a change) off this
    // thread; when its answer differs from what the item was given, the
    // client is told with the key, provided its generation is still the one
    // given. An item on show (soon) is asked before those that are not.
    int FileIcon(const std::string& path, Client* client, int generation, int key,
                 bool soon = false);
    // The question for the path, if still waiting, goes before those not
    // asked soon: its item is about to be shown.
    void Hurry(const std::string& path);
    // The client goes: nothing is told to it any more.
    void Forget(Client* client);
    // Forgets the icons of paths not asked for since the last call.
    void DropUnused();
    // Forgets every icon found, as the shell's icons may have changed (a
    // file type's icon, an icon file): the paths are asked again, the fixed
    // icons fill their places anew, and paints kept from the lists are
    // stale (the stamp changes). Icons shown meanwhile stay in their places.
    void Reset();

    // IconImages: the image of an icon at a size.
    Image ImageAt(int icon, int size) override;
    unsigned Stamp() const override { return stamp_; }

    // True when no answer is awaited.
    bool Idle() const;
    size_t KeptIcons() const { return cache_.size(); }
    // Where an icon came from (its source's key), for tests and the
    // benchmark: empty for none.
    std::string SourceOf(int icon) const;
    // Takes in the answers that have come (the posted message does this
    // too): for tests, which pump until Idle.
    void TakeAnswers();

    // A path that could not be reached (a network share that does not
    // answer, a drive without its disc) keeps its failed answer this long:
    // its items show its type's icon meanwhile and it is not asked again.
    static constexpr ULONGLONG kFailureHoldMs = 60000;
    // How long the end of the resolver waits for the workers' look-ups under
    // way before it leaves them to end with the process.
    static constexpr DWORD kExitWaitMs = 500;
    // A worker with nothing to do for this long ends.
    static constexpr DWORD kIdleEndMs = 5000;
    // How many resolvers of the process were ended while one of their
    // workers was held in a look-up. Such a worker may hold the shell's
    // locks, so the process ends without waiting for it (LauncherApp).
    static int WorkersLeftBehind();

private:
    struct Shared;
    struct Lane;
    struct Request;
    struct Answer;
    struct Waiter {
        Client* client;
        int generation;
        int key;
        // What the item was given when it asked.
        int handed;
    };
    struct Kept {
        WIN32_FILE_ATTRIBUTE_DATA file;
        int icon;
        bool used;
        // The path could not be reached at this tick (0: it was found).
        ULONGLONG failedAt;
    };
    struct SizedList {
        int size;
        ImageList list;
        // The place of each icon in this list, -1 while it has not come.
        std::vector<int> places;
    };

    bool Ask(Request request, bool soon);
    void AskFixedIcons();
    void AskSize(SizedList* sized, int icon);
    void Deliver(Answer& answer);
    void DeliverFile(Answer& answer);
    int IconFor(Answer& answer);
    void AddToSizedLists(int icon, Answer& answer);
    int ResolveHere(Request request);
    Lane* LaneFor(const std::string& volume);
    std::string VolumeOfRequest(const Request& request) const;
    bool Start();
    bool EnsureList();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI WorkerMain(void* param);
    static void Work(Shared& shared, Lane& lane);
    static Answer Process(Request& request, Lane& lane, bool remote);
    static bool MakeIcons(Answer& answer, Lane& lane, bool reuse);

    int programIconId_;
    int baseSize_ = 0;
    // The volume of the system folder, whose worker asks for the fixed icons
    // and for paths on no volume (a bare name the shell looks for).
    std::string systemVolume_;
    ImageList list_;
    // What each icon of the list came from; the fixed places' sources
    // fill in when they come.
    std::vector<IconSource> sources_;
    std::vector<bool> fixedLoaded_;
    std::function<void()> fixedIconCame_;
    std::unordered_map<std::string, int> iconOfSource_;
    std::vector<SizedList> sizedLists_;
    std::unordered_map<std::string, Kept> cache_;
    // The paths asked and not yet answered, with the items that wait.
    std::unordered_map<std::string, std::vector<Waiter>> pending_;
    // Answers of this many fixed icons and icons at other sizes are awaited.
    int otherPending_ = 0;
    unsigned stamp_;
    std::shared_ptr<Shared> shared_;
    // A message-only window the workers post to when answers are ready.
    HWND window_ = nullptr;
};
