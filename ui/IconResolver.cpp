#include "ui/IconResolver.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "ui/SystemCalls.h"

namespace {

// Posted to the resolver's window when answers wait to be taken in.
constexpr UINT WM_ICONANSWERS = WM_APP + 16;
constexpr char kWindowClass[] = "BrindlewayIconAnswers";
// A worker whose answers could not be posted (the window's message queue
// was full) tries again this often.
constexpr DWORD kRepostMs = 100;
// Volumes beyond these share the system folder's worker.
constexpr size_t kMaxLanes = 16;
// A place in a list of another size: not asked for yet, asked for, or the
// icon could not be had at that size (it is drawn scaled).
constexpr int kNotAsked = -1;
constexpr int kAsked = -2;
constexpr int kNoImage = -3;

std::atomic<int> workersLeftBehind{0};

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.dwFileAttributes == b.dwFileAttributes && a.nFileSizeLow == b.nFileSizeLow &&
           a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The volume a path lies on: its drive ("C:") or its network share
// ("\\server\share", in lower case); empty for a relative path or a bare
// name. Walked by characters: 0x5C is also a trail byte (表, 能, ソ).
std::string VolumeOf(const std::string& path) {
    const char* p = path.c_str();
    std::string prefix;
    if (std::string_view(p).starts_with("\\\\?\\UNC\\")) {
        p += 8;
        prefix = "\\\\";
    } else if (std::string_view(p).starts_with("\\\\?\\")) {
        p += 4;
    } else if (IsSeparator(p[0]) && IsSeparator(p[1])) {
        p += 2;
        prefix = "\\\\";
    }
    if (prefix.empty()) {
        if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':')
            return {static_cast<char>(p[0] & ~0x20), ':'};
        return {};
    }
    // The server, then the share.
    const char* end = p;
    for (int part = 0; part < 2 && *end; ++part) {
        if (part == 1)
            end = CharNextA(end);
        while (*end && !IsSeparator(*end))
            end = CharNextA(end);
    }
    std::string volume = prefix + std::string(p, end);
    CharLowerBuffA(volume.data(), static_cast<DWORD>(volume.size()));
    return volume;
}

// A network share, and a drive that is one or whose medium may be away,
// may keep a look-up waiting: what fails there is kept for a while.
bool IsRemoteVolume(const std::string& volume) {
    if (volume.size() > 2)
        return true;
    if (volume.empty())
        return false;
    UINT type = GetDriveTypeA((volume + "\\").c_str());
    return type != DRIVE_FIXED && type != DRIVE_RAMDISK;
}

class Locked {
public:
    explicit Locked(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
    ~Locked() { ReleaseSRWLockExclusive(lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK* lock_;
};

// A fully transparent icon: the fixed places hold it until their icons
// come.
Icon BlankIcon(int size) {
    std::vector<BYTE> mask(static_cast<size_t>((size + 15) / 16 * 2 * size), 0xFF);
    HBITMAP maskBitmap = CreateBitmap(size, size, 1, 1, mask.data());
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = maskBitmap;
    info.hbmColor = colour;
    Icon icon(CreateIconIndirect(&info));
    DeleteObject(maskBitmap);
    DeleteObject(colour);
    return icon;
}

Icon ProgramIcon(int id, int size) {
    if (!id)
        return Icon();
    return LoadIconAtSize(GetModuleHandleA(nullptr), id, size);
}

ULONGLONG Now() {
    return System().tickCount();
}

} // namespace

// A question for a worker. The sizes are those the icons are wanted at,
// the views' size first.
struct IconResolver::Request {
    enum class Kind { File, Fixed, Size };
    Kind kind = Kind::File;
    // File: the path.
    std::string path;
    // File: the icon kept for the path, found when the file was in this
    // state (the worker then only looks whether it changed).
    bool kept = false;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    // File: the icon kept. Fixed: its place. Size: the icon wanted.
    int icon = -1;
    // Size: where the icon comes from.
    IconSource source;
    // The icons must come with the answer even when this worker handed
    // over icons of the same source before.
    bool fresh = false;
    std::vector<int> sizes;
    unsigned epoch = 0;
};

struct IconResolver::Answer {
    Request request;
    // File: the file is as it was when its kept icon was found.
    bool unchanged = false;
    // File: the file could be looked at (it exists).
    bool found = false;
    // File: it could not be reached; its answer is kept for a while.
    bool unreachable = false;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    IconSource source;
    // One per size asked for; none when the worker handed over the icons of
    // this source before.
    std::vector<Icon> icons;
};

// One worker's questions, the items on show first.
struct IconResolver::Lane {
    explicit Lane(std::string volume)
        : volume(std::move(volume)), wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~Lane() {
        if (wake)
            CloseHandle(wake);
        if (thread)
            CloseHandle(thread);
    }
    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;

    std::string volume;
    std::deque<Request> soon;
    std::deque<Request> later;
    HANDLE wake;
    // The window's thread's: the handle of the thread last started.
    HANDLE thread = nullptr;
    // A thread serves the lane (set before it starts, cleared as it ends).
    bool running = false;
    // The worker's own: the sources whose icons it handed over in this
    // epoch.
    std::unordered_set<std::string> handed;
    unsigned handedEpoch = 0;
};

// What the threads share, behind the lock. Each worker holds its own
// reference: a worker left behind at the end (a look-up that does not
// return) still finds it, sees that it must stop and touches nothing else.
struct IconResolver::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    // Lanes are added, never removed, while the resolver lives.
    std::vector<std::unique_ptr<Lane>> lanes;
    std::deque<Answer> answers;
    bool stop = false;
    // A message is on its way to the window: no need to post another.
    bool posted = false;
    HWND window = nullptr;
    // Changes at each Reset: answers to older questions are dropped.
    unsigned epoch = 1;
};

IconResolver::IconResolver(int programIconId)
    : programIconId_(programIconId), stamp_(NewImageStamp()), shared_(std::make_shared<Shared>()) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    systemVolume_ = VolumeOf(system);
}

// The workers are told to stop and given a moment to finish the look-ups
// they are in; one that does not return (a network path that does not
// answer) is left to end with the process rather than hold up the exit.
IconResolver::~IconResolver() {
    std::vector<HANDLE> threads;
    {
        Locked locked(&shared_->lock);
        shared_->stop = true;
        shared_->window = nullptr;
        for (auto& lane : shared_->lanes) {
            lane->soon.clear();
            lane->later.clear();
            if (lane->thread)
                threads.push_back(std::exchange(lane->thread, nullptr));
            SetEvent(lane->wake);
        }
    }
    if (!threads.empty()) {
        DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(),
                                              TRUE, kExitWaitMs);
        if (waited == WAIT_TIMEOUT)
            ++workersLeftBehind;
        for (HANDLE thread : threads)
            CloseHandle(thread);
    }
    if (window_)
        DestroyWindow(window_);
}

int IconResolver::WorkersLeftBehind() {
    return workersLeftBehind;
}

HIMAGELIST IconResolver::List() {
    EnsureList();
    return list_.Handle();
}

// The list is made at the views' size with the fixed places, the
// program's own icon at once and the others asked for.
bool IconResolver::EnsureList() {
    if (list_)
        return true;
    baseSize_ = GetSystemMetrics(SM_CXSMICON);
    list_.Reset(
        ImageList_Create(baseSize_, baseSize_, ILC_COLOR32 | ILC_MASK, kFixedIconCount + 16, 32));
    if (!list_)
        return false;
    Icon blank = BlankIcon(baseSize_);
    for (int i = 0; i < kFixedIconCount; ++i)
        ImageList_ReplaceIcon(list_.Handle(), -1, blank.Get());
    sources_.assign(kFixedIconCount, IconSource{});
    fixedLoaded_.assign(kFixedIconCount, false);
    Icon program = ProgramIcon(programIconId_, baseSize_);
    if (program)
        ImageList_ReplaceIcon(list_.Handle(), kProgramIcon, program.Get());
    fixedLoaded_[kProgramIcon] = true;
    AskFixedIcons();
    return true;
}

void IconResolver::AskFixedIcons() {
    for (int fixed = 0; fixed < kFixedIconCount; ++fixed) {
        if (fixedLoaded_[fixed])
            continue;
        Request request;
        request.kind = Request::Kind::Fixed;
        request.icon = fixed;
        if (Ask(std::move(request), true))
            ++otherPending_;
    }
}

int IconResolver::FileIcon(const std::string& path, Client* client, int generation, int key,
                           bool soon) {
    EnsureList();
    auto kept = cache_.find(path);
    int handed = -1;
    if (kept != cache_.end()) {
        kept->second.used = true;
        handed = kept->second.icon;
        if (kept->second.failedAt && Now() - kept->second.failedAt < kFailureHoldMs)
            return handed;
    }
    bool asked = pending_.count(path) != 0;
    pending_[path].push_back({client, generation, key, handed});
    if (asked) {
        if (soon)
            Hurry(path);
        return handed;
    }
    Request request;
    request.path = path;
    if (kept != cache_.end() && !kept->second.failedAt) {
        request.kept = true;
        request.file = kept->second.file;
        request.icon = kept->second.icon;
    }
    if (Ask(request, soon))
        return handed;
    // Without a worker thread the shell is asked here and now.
    pending_.erase(path);
    return ResolveHere(std::move(request));
}

std::string IconResolver::VolumeOfRequest(const Request& request) const {
    std::string volume;
    if (request.kind == Request::Kind::File)
        volume = VolumeOf(request.path);
    else if (request.kind == Request::Kind::Size &&
             request.source.kind == IconSource::Kind::Location)
        volume = VolumeOf(request.source.file);
    return volume.empty() ? systemVolume_ : volume;
}

// The lane of the volume, made at its first question. Called under the
// lock.
IconResolver::Lane* IconResolver::LaneFor(const std::string& volume) {
    Lane* system = nullptr;
    for (auto& lane : shared_->lanes) {
        if (lane->volume == volume)
            return lane.get();
        if (lane->volume == systemVolume_)
            system = lane.get();
    }
    if (shared_->lanes.size() >= kMaxLanes && system)
        return system;
    shared_->lanes.push_back(std::make_unique<Lane>(volume));
    return shared_->lanes.back().get();
}

// Queues the question on its volume's worker, starting the worker when
// none serves it. False when no worker could be started.
bool IconResolver::Ask(Request request, bool soon) {
    if (!Start())
        return false;
    if (request.sizes.empty()) {
        request.sizes.push_back(baseSize_);
        for (const SizedList& sized : sizedLists_)
            request.sizes.push_back(sized.size);
    }
    std::string volume = VolumeOfRequest(request);
    Lane* lane = nullptr;
    bool startWorker = false;
    {
        Locked locked(&shared_->lock);
        request.epoch = shared_->epoch;
        lane = LaneFor(volume);
        (soon ? lane->soon : lane->later).push_back(std::move(request));
        if (!lane->running)
            startWorker = lane->running = true;
    }
    if (!startWorker) {
        SetEvent(lane->wake);
        return true;
    }
    auto* reference = new std::shared_ptr<Shared>(shared_);
    auto* param = new std::pair<std::shared_ptr<Shared>*, Lane*>(reference, lane);
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, param, 0, nullptr);
    if (thread) {
        if (lane->thread)
            CloseHandle(lane->thread);
        lane->thread = thread;
        return true;
    }
    delete reference;
    delete param;
    Locked locked(&shared_->lock);
    lane->running = false;
    (soon ? lane->soon : lane->later).pop_back();
    return false;
}

// The path's question moves ahead of those of items not on show.
void IconResolver::Hurry(const std::string& path) {
    Locked locked(&shared_->lock);
    for (auto& lane : shared_->lanes) {
        auto found = std::find_if(lane->later.begin(), lane->later.end(), [&](const Request& r) {
            return r.kind == Request::Kind::File && r.path == path;
        });
        if (found == lane->later.end())
            continue;
        lane->soon.push_back(std::move(*found));
        lane->later.erase(found);
        return;
    }
}

void IconResolver::Forget(Client* client) {
    for (auto& [path, waiters] : pending_)
        std::erase_if(waiters, [client](const Waiter& w) { return w.client == client; });
}

// A path counts as used when it is asked for, not when its answer comes:
// the answer to a build's question comes after that build's DropUnused.
void IconResolver::DropUnused() {
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (!it->second.used) {
            it = cache_.erase(it);
            continue;
        }
        it->second.used = false;
        ++it;
    }
}

// The questions under way are asked anew; what they were for still waits.
void IconResolver::Reset() {
    stamp_ = NewImageStamp();
    {
        Locked locked(&shared_->lock);
        ++shared_->epoch;
        for (auto& lane : shared_->lanes) {
            lane->soon.clear();
            lane->later.clear();
        }
    }
    cache_.clear();
    iconOfSource_.clear();
    sizedLists_.clear();
    otherPending_ = 0;
    for (int fixed = 0; fixed < static_cast<int>(fixedLoaded_.size()); ++fixed) {
        if (fixed == kProgramIcon)
            continue;
        fixedLoaded_[fixed] = false;
        sources_[fixed] = IconSource{};
    }
    if (list_)
        AskFixedIcons();
    for (auto& [path, waiters] : pending_) {
        if (waiters.empty())
            continue;
        Request request;
        request.path = path;
        Ask(std::move(request), false);
    }
}

bool IconResolver::Idle() const {
    return pending_.empty() && otherPending_ == 0;
}

std::string IconResolver::SourceOf(int icon) const {
    if (icon < 0 || icon >= static_cast<int>(sources_.size()))
        return {};
    return sources_[icon].Key();
}

IconImages::Image IconResolver::ImageAt(int icon, int size) {
    if (!EnsureList() || icon < 0 || icon >= static_cast<int>(sources_.size()))
        return {};
    bool exact = icon >= kFixedIconCount || fixedLoaded_[icon];
    if (size == baseSize_)
        return {list_.Handle(), icon, exact};
    auto sized = std::find_if(sizedLists_.begin(), sizedLists_.end(),
                              [size](const SizedList& s) { return s.size == size; });
    if (sized == sizedLists_.end()) {
        SizedList made{
            size, ImageList(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 32)), {}};
        if (!made.list)
            return {list_.Handle(), icon, false};
        sizedLists_.push_back(std::move(made));
        sized = sizedLists_.end() - 1;
    }
    if (sized->places.size() < sources_.size())
        sized->places.resize(sources_.size(), kNotAsked);
    int place = sized->places[icon];
    if (place >= 0)
        return {sized->list.Handle(), place, true};
    if (place == kNotAsked && exact)
        AskSize(&*sized, icon);
    place = sized->places[icon];
    if (place >= 0)
        return {sized->list.Handle(), place, true};
    return {list_.Handle(), icon, false};
}

// The program's own icon comes from its resources here; the others from
// their sources, on a worker.
void IconResolver::AskSize(SizedList* sized, int icon) {
    if (icon == kProgramIcon) {
        Icon program = ProgramIcon(programIconId_, sized->size);
        sized->places[icon] =
            program ? ImageList_ReplaceIcon(sized->list.Handle(), -1, program.Get()) : kNoImage;
        return;
    }
    if (sources_[icon].kind == IconSource::Kind::None) {
        sized->places[icon] = kNoImage;
        return;
    }
    Request request;
    request.kind = Request::Kind::Size;
    request.icon = icon;
    request.source = sources_[icon];
    request.sizes.assign(1, sized->size);
    if (!Ask(std::move(request), true)) {
        sized->places[icon] = kNoImage;
        return;
    }
    sized->places[icon] = kAsked;
    ++otherPending_;
}

// The window and the worker are made at the first question, so a program
// that shows no file icons starts neither.
bool IconResolver::Start() {
    if (window_)
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
    Locked locked(&shared_->lock);
    shared_->window = window_;
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
    unsigned epoch = 0;
    {
        Locked locked(&shared_->lock);
        answers.swap(shared_->answers);
        shared_->posted = false;
        epoch = shared_->epoch;
    }
    for (Answer& answer : answers)
        if (answer.request.epoch == epoch)
            Deliver(answer);
}

void IconResolver::Deliver(Answer& answer) {
    const Request& request = answer.request;
    switch (request.kind) {
    case Request::Kind::File:
        DeliverFile(answer);
        return;
    case Request::Kind::Fixed:
        --otherPending_;
        if (answer.icons.empty() || !answer.icons[0])
            return;
        ImageList_ReplaceIcon(list_.Handle(), request.icon, answer.icons[0].Get());
        sources_[request.icon] = answer.source;
        fixedLoaded_[request.icon] = true;
        iconOfSource_.emplace(answer.source.Key(), request.icon);
        AddToSizedLists(request.icon, answer);
        stamp_ = NewImageStamp();
        if (fixedIconCame_)
            fixedIconCame_();
        return;
    case Request::Kind::Size: {
        --otherPending_;
        auto sized = std::find_if(sizedLists_.begin(), sizedLists_.end(),
                                  [&](const SizedList& s) { return s.size == request.sizes[0]; });
        if (sized == sizedLists_.end() || request.icon >= static_cast<int>(sized->places.size()))
            return;
        int place = kNoImage;
        if (!answer.icons.empty() && answer.icons[0])
            place = ImageList_ReplaceIcon(sized->list.Handle(), -1, answer.icons[0].Get());
        sized->places[request.icon] = place >= 0 ? place : kNoImage;
        return;
    }
    }
}

// The kept icon is replaced by the answer and the items that wait are told
// when they were given something else. A file that cannot be found is not
// kept (it may come later) but shows its type's icon; one that could not
// be reached keeps that answer for a while.
void IconResolver::DeliverFile(Answer& answer) {
    const std::string& path = answer.request.path;
    std::vector<Waiter> waiters;
    auto waiting = pending_.find(path);
    if (waiting != pending_.end()) {
        waiters = std::move(waiting->second);
        pending_.erase(waiting);
    }
    auto kept = cache_.find(path);
    bool used = kept != cache_.end() ? kept->second.used : !waiters.empty();
    int icon = -1;
    if (answer.unchanged) {
        // The icon may have been dropped meanwhile: the answer brings it back.
        icon = answer.request.icon;
        cache_[path] = Kept{answer.request.file, icon, used, 0};
    } else {
        // A new entry counts as used only once a build asks for it: the
        // answer to a build's question comes after that build's DropUnused.
        used = kept != cache_.end() && kept->second.used;
        icon = IconFor(answer);
        if (icon == kAsked) {
            // The worker's earlier icons of this source were lost: asked again.
            pending_[path] = std::move(waiters);
            Request again = answer.request;
            again.fresh = true;
            again.kept = false;
            if (!Ask(std::move(again), true))
                pending_.erase(path);
            return;
        }
        if (answer.found && icon >= 0)
            cache_[path] = Kept{answer.file, icon, used, 0};
        else if (answer.unreachable)
            cache_[path] = Kept{{}, icon, used, std::max<ULONGLONG>(Now(), 1)};
        else
            cache_.erase(path);
    }
    for (const Waiter& waiter : waiters)
        if (waiter.client->IconGeneration() == waiter.generation && waiter.handed != icon)
            waiter.client->ShowIcon(waiter.key, icon);
}

// The answer's icon: the one already in the list from the same source, or
// a new place. kAsked when the answer brings no icons for a source the
// list does not have.
int IconResolver::IconFor(Answer& answer) {
    if (answer.source.kind == IconSource::Kind::None)
        return -1;
    std::string key = answer.source.Key();
    auto known = iconOfSource_.find(key);
    if (known != iconOfSource_.end())
        return known->second;
    if (answer.icons.empty())
        return kAsked;
    if (!answer.icons[0])
        return -1;
    int icon = ImageList_ReplaceIcon(list_.Handle(), -1, answer.icons[0].Get());
    if (icon < 0)
        return -1;
    sources_.resize(static_cast<size_t>(icon) + 1);
    sources_[icon] = answer.source;
    iconOfSource_.emplace(std::move(key), icon);
    AddToSizedLists(icon, answer);
    return icon;
}

// The answer's icons at the other sizes go to their lists; a list made
// after the question was asked asks for its own when it draws the icon.
void IconResolver::AddToSizedLists(int icon, Answer& answer) {
    for (SizedList& sized : sizedLists_) {
        if (sized.places.size() <= static_cast<size_t>(icon))
            sized.places.resize(static_cast<size_t>(icon) + 1, kNotAsked);
        sized.places[icon] = kNotAsked;
        const std::vector<int>& sizes = answer.request.sizes;
        for (size_t i = 1; i < sizes.size() && i < answer.icons.size(); ++i) {
            if (sizes[i] != sized.size || !answer.icons[i])
                continue;
            int place = ImageList_ReplaceIcon(sized.list.Handle(), -1, answer.icons[i].Get());
            if (place >= 0)
                sized.places[icon] = place;
        }
    }
}

// Without a worker: the question is answered on this thread.
int IconResolver::ResolveHere(Request request) {
    request.sizes.assign(1, baseSize_);
    std::string path = request.path;
    Lane lane(systemVolume_);
    Answer answer = Process(request, lane, false);
    if (answer.unchanged)
        return answer.request.icon;
    int icon = IconFor(answer);
    if (icon < 0)
        return -1;
    if (answer.found)
        cache_[path] = Kept{answer.file, icon, true, 0};
    return icon;
}

DWORD WINAPI IconResolver::WorkerMain(void* param) {
    auto* start = static_cast<std::pair<std::shared_ptr<Shared>*, Lane*>*>(param);
    std::shared_ptr<Shared> shared = std::move(*start->first);
    Lane& lane = *start->second;
    delete start->first;
    delete start;
    // The shell needs COM on the thread that asks it, in an apartment that
    // does without OLE1 DDE, as the shell asks of its callers.
    SystemCalls& calls = System();
    HRESULT com = calls.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    Work(*shared, lane);
    if (SUCCEEDED(com))
        calls.coUninitialize();
    return 0;
}

namespace {

// Waits for the lane's event, dispatching the thread's messages meanwhile:
// an apartment thread must, as the shell and its extensions may have made
// windows on it that other programs send to. False when the time ran out.
bool WaitForWork(HANDLE wake, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        DWORD waited = MsgWaitForMultipleObjectsEx(1, &wake, timeoutMs - elapsed, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
        if (waited == WAIT_OBJECT_0)
            return true;
        if (waited != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

// Takes the lane's questions, the items on show first, and hands the
// answers to the window's thread. A message that could not be posted (a
// full queue) is posted again until one gets through; the worker ends
// once it has had nothing to do for a while and nothing waits to be told.
void IconResolver::Work(Shared& shared, Lane& lane) {
    bool remote = IsRemoteVolume(lane.volume);
    for (;;) {
        Request request;
        bool have = false;
        bool undelivered = false;
        {
            Locked locked(&shared.lock);
            if (shared.stop)
                return;
            std::deque<Request>& queue = !lane.soon.empty() ? lane.soon : lane.later;
            if (!queue.empty()) {
                request = std::move(queue.front());
                queue.pop_front();
                have = true;
            } else if (!shared.answers.empty() && !shared.posted) {
                undelivered = true;
                if (shared.window)
                    shared.posted =
                        System().postMessage(shared.window, WM_ICONANSWERS, 0, 0) != FALSE;
            }
        }
        if (!have) {
            if (WaitForWork(lane.wake, undelivered ? kRepostMs : kIdleEndMs) || undelivered)
                continue;
            Locked locked(&shared.lock);
            bool waiting = !shared.answers.empty() && !shared.posted;
            if (shared.stop || (lane.soon.empty() && lane.later.empty() && !waiting)) {
                lane.running = false;
                return;
            }
            continue;
        }
        Answer answer = Process(request, lane, remote);
        Locked locked(&shared.lock);
        if (shared.stop)
            return;
        shared.answers.push_back(std::move(answer));
        if (!shared.posted && shared.window)
            shared.posted = System().postMessage(shared.window, WM_ICONANSWERS, 0, 0) != FALSE;
    }
}

// A found file's own icon, or, for a file that cannot be found (or whose
// own icon cannot be had), the icon of its type, found by its name alone.
IconResolver::Answer IconResolver::Process(Request& question, Lane& lane, bool remote) {
    Answer answer;
    answer.request = std::move(question);
    Request& request = answer.request;
    if (lane.handedEpoch != request.epoch) {
        lane.handed.clear();
        lane.handedEpoch = request.epoch;
    }
    switch (request.kind) {
    case Request::Kind::File: {
        const char* path = request.path.c_str();
        answer.found = System().getFileAttributesEx(path, GetFileExInfoStandard, &answer.file) != 0;
        DWORD error = answer.found ? 0 : GetLastError();
        if (answer.found && request.kept && SameFileState(answer.file, request.file)) {
            answer.unchanged = true;
            break;
        }
        // The shell named a file for the icon that holds none: it would
        // show its document icon, as the program does then.
        bool made = false;
        bool named = false;
        if (answer.found) {
            answer.source = PathIconSource(path);
            named = answer.source.kind == IconSource::Kind::Location;
            made = MakeIcons(answer, lane, !request.fresh);
        }
        if (!made) {
            answer.source = PathIconSource(path, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
            named = named || answer.source.kind == IconSource::Kind::Location;
            made = MakeIcons(answer, lane, !request.fresh);
        }
        if (!made && named) {
            answer.source = DocumentIconSource();
            made = MakeIcons(answer, lane, !request.fresh);
        }
        if (!made)
            answer.source = IconSource{};
        answer.unreachable = !answer.found && (remote || (error != ERROR_FILE_NOT_FOUND &&
                                                          error != ERROR_PATH_NOT_FOUND &&
                                                          error != ERROR_INVALID_NAME));
        break;
    }
    case Request::Kind::Fixed:
        switch (request.icon) {
        case kFolderIcon:
            answer.source = PathIconSource("", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
            break;
        case kOpenFolderIcon:
            answer.source = PathIconSource("", FILE_ATTRIBUTE_DIRECTORY,
                                           SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
            break;
        case kUrlIcon:
            answer.source = PathIconSource(".url", 0, SHGFI_USEFILEATTRIBUTES);
            break;
        case kMyComputerIcon:
            answer.source = ShellFolderIconSource(CSIDL_DRIVES);
            break;
        case kMyDocumentsIcon:
            answer.source = ShellFolderIconSource(CSIDL_PERSONAL);
            break;
        case kMyNetworkIcon:
            answer.source = ShellFolderIconSource(CSIDL_NETWORK);
            break;
        }
        if (!MakeIcons(answer, lane, false) && answer.source.kind == IconSource::Kind::Location) {
            answer.source = DocumentIconSource();
            MakeIcons(answer, lane, false);
        }
        break;
    case Request::Kind::Size:
        answer.source = request.source;
        MakeIcons(answer, lane, false);
        break;
    }
    return answer;
}

// The icons of the answer's source at every size asked for. When this
// worker handed over the icons of the same source before (reuse), the
// answer goes without them: the window's thread has them already.
bool IconResolver::MakeIcons(Answer& answer, Lane& lane, bool reuse) {
    answer.icons.clear();
    if (answer.source.kind == IconSource::Kind::None)
        return false;
    std::string key = answer.source.Key();
    if (reuse && lane.handed.count(key))
        return true;
    for (int size : answer.request.sizes)
        answer.icons.push_back(IconFromSource(answer.source, size));
    if (answer.icons.empty() || !answer.icons[0]) {
        answer.icons.clear();
        return false;
    }
    lane.handed.insert(std::move(key));
    return true;
}
