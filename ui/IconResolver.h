// The small icons of file paths, asked of the shell on a thread of their
// own. The shell takes milliseconds per path, and a path on a slow disk or
// an unanswering network drive can hold it for much longer; the window's
// thread never waits for it. A look-up answers at once with what is known
// (the icon kept from before, or -1: none yet) and the answer fills in the
// item later.
//
// Everything but the shell's look-ups happens on the window's thread: the
// kept icons, the items waiting for an answer and the clients told. The
// worker thread gets copies of the paths and hands back plain values.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/ShellIcons.h"

class IconResolver {
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

    IconResolver();
    ~IconResolver();
    IconResolver(const IconResolver&) = delete;
    IconResolver& operator=(const IconResolver&) = delete;

    // The icon of the file at the path for the client's item: the icon
    // kept for the path, or -1 when none is known yet. The shell is asked
    // (or, for a kept icon, the file looked at for a change) off this
    // thread; when its answer differs, the client is told with the key,
    // provided its generation is still the one given.
    int FileIcon(const std::string& path, Client* client, int generation, int key);
    // The client goes: nothing is told to it any more.
    void Forget(Client* client);
    // Forgets the icons of paths not asked for since the last call.
    void DropUnused() { cache_.DropUnused(); }

    // True when no answer is awaited.
    bool Idle() const { return pending_.empty(); }
    size_t KeptIcons() const { return cache_.Size(); }
    // Takes in the answers that have come (the posted message does this
    // too): for tests, which pump until Idle.
    void TakeAnswers();

    // How long the end of the resolver waits for a look-up under way
    // before it leaves the worker to end on its own.
    static constexpr DWORD kExitWaitMs = 500;

private:
    struct Shared;
    struct Waiter {
        Client* client;
        int generation;
        int key;
    };
    struct Answer;

    bool Ask(const std::string& path, const SmallIconCache::Entry* kept);
    void Deliver(const Answer& answer);
    bool StartWorker();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI WorkerMain(void* param);

    SmallIconCache cache_;
    // The paths asked of the worker and not yet answered, with the items
    // that wait for them.
    std::unordered_map<std::string, std::vector<Waiter>> pending_;
    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
    // A message-only window the worker posts to when answers are ready.
    HWND window_ = nullptr;
};
