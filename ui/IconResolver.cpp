#include "ui/IconResolver.h"

#include <deque>
#include <utility>

#include "ui/SystemCalls.h"

namespace {

// Posted to the resolver's window when answers wait to be taken in.
constexpr UINT WM_ICONANSWERS = WM_APP + 16;
constexpr char kWindowClass[] = "BrindlewayIconAnswers";

} // namespace

// A question for the worker: the path, and the state of the file when its
// kept icon was found (the worker then only looks whether it changed).
struct Request {
    std::string path;
    bool kept;
    WIN32_FILE_ATTRIBUTE_DATA file;
};

struct IconResolver::Answer {
    std::string path;
    // The file is as it was when its kept icon was found.
    bool unchanged = false;
    // The file could be looked at (it exists).
    bool found = false;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    int index = -1;
};

// What the two threads share, behind the lock. The worker holds its own
// reference: a worker left behind at the end (a look-up that does not
// return) still finds it, sees that it must stop and touches nothing else.
struct IconResolver::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::deque<Request> requests;
    std::deque<Answer> answers;
    bool stop = false;
    // A message is on its way to the window: no need to post another.
    bool posted = false;
    HWND window = nullptr;
};

namespace {

class Locked {
public:
    explicit Locked(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
    ~Locked() { ReleaseSRWLockExclusive(lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK* lock_;
};

} // namespace

IconResolver::IconResolver() : shared_(std::make_shared<Shared>()) {}

// The worker is told to stop and given a moment to finish the look-up it is
// in; one that does not return (a network path that does not answer) is
// left to end with the process rather than hold up the exit.
IconResolver::~IconResolver() {
    if (thread_) {
        {
            Locked locked(&shared_->lock);
            shared_->stop = true;
            shared_->requests.clear();
        }
        WakeAllConditionVariable(&shared_->wake);
        WaitForSingleObject(thread_, kExitWaitMs);
        CloseHandle(thread_);
    }
    if (window_)
        DestroyWindow(window_);
}

int IconResolver::FileIcon(const std::string& path, Client* client, int generation, int key) {
    const SmallIconCache::Entry* kept = cache_.Use(path);
    auto waiting = pending_.find(path);
    if (waiting == pending_.end() && !Ask(path, kept)) {
        // Without a worker thread the shell is asked here and now.
        return FileIconIndex(path.c_str());
    }
    pending_[path].push_back({client, generation, key});
    return kept ? kept->index : -1;
}

bool IconResolver::Ask(const std::string& path, const SmallIconCache::Entry* kept) {
    if (!StartWorker())
        return false;
    Request request{path, kept != nullptr, kept ? kept->file : WIN32_FILE_ATTRIBUTE_DATA{}};
    {
        Locked locked(&shared_->lock);
        shared_->requests.push_back(std::move(request));
    }
    WakeConditionVariable(&shared_->wake);
    return true;
}

void IconResolver::Forget(Client* client) {
    for (auto& [path, waiters] : pending_)
        std::erase_if(waiters, [client](const Waiter& w) { return w.client == client; });
}

// The window and the worker are made at the first question, so a program
// that shows no file icons starts neither.
bool IconResolver::StartWorker() {
    if (thread_)
        return true;
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(module, kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
    }
    window_ =
        CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (!window_)
        return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    shared_->window = window_;
    auto* reference = new std::shared_ptr<Shared>(shared_);
    thread_ = CreateThread(nullptr, 0, WorkerMain, reference, 0, nullptr);
    if (!thread_) {
        delete reference;
        DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    return true;
}

LRESULT CALLBACK IconResolver::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ICONANSWERS) {
        auto* self = reinterpret_cast<IconResolver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self)
            self->TakeAnswers();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void IconResolver::TakeAnswers() {
    std::deque<Answer> answers;
    {
        Locked locked(&shared_->lock);
        answers.swap(shared_->answers);
        shared_->posted = false;
    }
    for (const Answer& answer : answers)
        Deliver(answer);
}

// The kept icon is replaced by the answer (a file that cannot be found is
// not kept: it may come later), and the items that wait for it are told,
// unless they were rebuilt since or already show it.
void IconResolver::Deliver(const Answer& answer) {
    std::vector<Waiter> waiters;
    auto waiting = pending_.find(answer.path);
    if (waiting != pending_.end()) {
        waiters = std::move(waiting->second);
        pending_.erase(waiting);
    }
    if (answer.unchanged)
        return;
    if (answer.found && answer.index >= 0)
        cache_.Store(answer.path, answer.file, answer.index);
    else
        cache_.Forget(answer.path);
    for (const Waiter& waiter : waiters)
        if (waiter.client->IconGeneration() == waiter.generation)
            waiter.client->ShowIcon(waiter.key, answer.index);
}

// The shell needs COM on the thread that asks it.
DWORD WINAPI IconResolver::WorkerMain(void* param) {
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(param));
    delete static_cast<std::shared_ptr<Shared>*>(param);
    HRESULT com = System().coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;) {
        Request request;
        {
            Locked locked(&shared->lock);
            while (!shared->stop && shared->requests.empty())
                SleepConditionVariableSRW(&shared->wake, &shared->lock, INFINITE, 0);
            if (shared->stop)
                break;
            request = std::move(shared->requests.front());
            shared->requests.pop_front();
        }
        Answer answer;
        answer.path = request.path;
        answer.found =
            GetFileAttributesExA(request.path.c_str(), GetFileExInfoStandard, &answer.file) != 0;
        if (answer.found && request.kept && SameFileState(answer.file, request.file))
            answer.unchanged = true;
        else
            answer.index = FileIconIndex(request.path.c_str());
        HWND window = nullptr;
        {
            Locked locked(&shared->lock);
            if (shared->stop)
                break;
            shared->answers.push_back(std::move(answer));
            if (!shared->posted) {
                shared->posted = true;
                window = shared->window;
            }
        }
        if (window)
            PostMessageA(window, WM_ICONANSWERS, 0, 0);
    }
    if (SUCCEEDED(com))
        System().coUninitialize();
    return 0;
}
