#include "tray/Launching.h"

#include <shlwapi.h>

#include "tray/LauncherMenu.h"
#include "ui/EntryPath.h"
#include "ui/SystemCalls.h"

namespace {

// The system error of a shell result (hInstApp) that came without one.
DWORD ErrorOfShellResult(HINSTANCE result) {
    switch (static_cast<int>(reinterpret_cast<INT_PTR>(result))) {
    case SE_ERR_FNF:
        return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF:
        return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED:
        return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// Opens the file with the verb and no boxes of the shell's own; answers the
// system's error, ERROR_SUCCESS when it was opened.
DWORD OpenWithShell(const char* verb, const char* file, const char* arguments, const char* folder) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = arguments;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWNORMAL;
    SetLastError(ERROR_SUCCESS);
    if (System().shellExecuteEx(&info))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ErrorOfShellResult(info.hInstApp);
}

const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

// Whether the file is a program by its extension: one of those the system
// runs (PATHEXT).
bool IsProgramFile(const std::string& file) {
    const char* extension = PathFindExtensionA(file.c_str());
    if (!*extension)
        return false;
    char list[512] = {};
    DWORD length = GetEnvironmentVariableA("PATHEXT", list, sizeof list);
    std::string programs = length > 0 && length < sizeof list ? list : ".COM;.EXE;.BAT;.CMD";
    programs = ";" + programs + ";";
    std::string wanted = ";" + std::string(extension) + ";";
    CharUpperA(programs.data());
    CharUpperA(wanted.data());
    return programs.find(wanted) != std::string::npos;
}

// The system's text for an error, its "%1" naming the file.
std::string SystemText(DWORD error, const std::string& file) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
    // No byte of "%1" can be the second byte of a double-byte character.
    for (size_t at = reason.find("%1"); at != std::string::npos; at = reason.find("%1", at)) {
        reason.replace(at, 2, file);
        at += file.size();
    }
    return reason;
}

// Why, in the user's words; the system's own text for the rarer errors.
std::string Reason(const LaunchFailure& failure) {
    const char* noProgram = failure.kind == KIND_URL
                                ? "この種類の URL を開くプログラムが登録されていません。"
                                : "この種類のファイルを開くプログラムが登録されていません。";
    switch (failure.error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
        return "ファイルまたはフォルダーが見つかりません。移動したか削除された可能性があります。";
    case ERROR_NO_ASSOCIATION:
        return noProgram;
    case ERROR_ACCESS_DENIED:
        return "アクセスが拒否されました。";
    case ERROR_BAD_EXE_FORMAT:
        // A shell that finds no program for a document may try to run the
        // document itself (Wine's does), which fails so.
        if (failure.kind == KIND_FILE && !IsProgramFile(failure.file))
            return noProgram;
        break;
    default:
        break;
    }
    std::string reason = SystemText(failure.error, failure.file);
    if (!reason.empty())
        reason += "\n";
    return reason + "（エラー " + std::to_string(failure.error) + "）";
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Explorer on the file's folder with the file selected; a folder is opened
// itself. A file the shell cannot name (gone) leaves its folder to open.
void ShowInFolder(const std::string& file) {
    if (IsFolder(file)) {
        System().shellExecute(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathA(file.c_str())) {
        System().openFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
        return;
    }
    std::string folder = file;
    PathRemoveFileSpecA(folder.data());
    folder.resize(strlen(folder.c_str()));
    if (!folder.empty())
        System().shellExecute(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

LaunchAction LaunchActionOfKeys() {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool control = GetKeyState(VK_CONTROL) < 0;
    if (shift && control)
        return LaunchAction::RunAsAdministrator;
    return shift ? LaunchAction::ShowInFolder : LaunchAction::Open;
}

// Entry ids are unique, so the first match is the only one.
bool LaunchEntryOfCommand(std::span<const LaunchEntry> table, UINT command,
                          const std::string& programFolder, LaunchFailure* failure,
                          LaunchAction action) {
    for (const LaunchEntry& entry : table) {
        if (LaunchCommandBase + static_cast<UINT>(entry.id) != command)
            continue;
        LaunchFailure outcome;
        outcome.name = entry.name;
        outcome.kind = entry.kind;
        if (entry.kind == KIND_FILE) {
            EntryCommand run = EntryCommandOf(entry.path, programFolder);
            if (action == LaunchAction::ShowInFolder) {
                ShowInFolder(run.file);
                return true;
            }
            const char* verb = action == LaunchAction::RunAsAdministrator && !IsFolder(run.file)
                                   ? "runas"
                                   : "open";
            outcome.file = run.file;
            outcome.error = OpenWithShell(verb, run.file.c_str(), OrNull(run.arguments),
                                          OrNull(run.workingFolder));
        } else if (entry.kind == KIND_URL) {
            outcome.file = entry.path;
            outcome.error = OpenWithShell("open", entry.path, nullptr, nullptr);
        }
        if (failure)
            *failure = outcome;
        return true;
    }
    return false;
}

std::string LaunchFailureMessage(const LaunchFailure& failure) {
    if (failure.error == ERROR_SUCCESS || failure.error == ERROR_CANCELLED)
        return "";
    return "「" + failure.name + "」を開けませんでした。\n" + Reason(failure) + "\n\n" +
           failure.file;
}

// No window, file, parameters or directory: only the item identifier list.
void OpenShellFolder(LPCITEMIDLIST pidl) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST;
    info.lpVerb = "open";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = const_cast<LPITEMIDLIST>(pidl);
    System().shellExecuteEx(&info);
}
