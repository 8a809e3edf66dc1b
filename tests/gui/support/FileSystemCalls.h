// Records what the program's code asks the file system on the thread that
// makes the recorder: the test program's own imports of the file functions
// are pointed at recorders for as long as the object lives (the calls of
// other threads, such as the icon worker's, pass unrecorded), and so are
// the shell's icon look-up and the drive type in the system call table. A
// test uses it to show that the window's thread never waits for a disk or
// a network share that does not answer.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/SystemCalls.h"

class FileSystemCalls {
public:
    FileSystemCalls() : saved_(System()) {
        active_ = this;
        thread_ = GetCurrentThreadId();
        Patch(true);
        System().getFileInfo = RecordGetFileInfo;
        System().getDriveType = RecordGetDriveType;
    }
    ~FileSystemCalls() {
        System() = saved_;
        Patch(false);
        active_ = nullptr;
    }
    FileSystemCalls(const FileSystemCalls&) = delete;
    FileSystemCalls& operator=(const FileSystemCalls&) = delete;

    // "Function path", one for each call made on the recording thread.
    std::vector<std::string> calls;

private:
    static void Note(const char* function, const std::string& path) {
        if (active_ && GetCurrentThreadId() == thread_)
            active_->calls.push_back(std::string(function) + " " + path);
    }
    static std::string Narrow(LPCWSTR text) {
        char buffer[MAX_PATH * 2] = {};
        if (text)
            WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        return buffer;
    }

    // One recorder per function: it notes the call, then makes it through
    // the real function, kept under the function's number.
    enum Function {
        kGetFileAttributesA,
        kGetFileAttributesExA,
        kGetFileAttributesW,
        kFindFirstFileA,
        kCreateFileA,
        kCreateFileW,
        kSearchPathA,
        kPathFileExistsA,
        kPathIsDirectoryA,
        kFunctions
    };
    static inline void* real_[kFunctions] = {};
    template <typename Pointer>
    static Pointer RealOf(Function function, Pointer) {
        return reinterpret_cast<Pointer>(real_[function]);
    }

    static DWORD WINAPI GetFileAttributesA_(LPCSTR path) {
        Note("GetFileAttributesA", path);
        return RealOf(kGetFileAttributesA, &GetFileAttributesA)(path);
    }
    static BOOL WINAPI GetFileAttributesExA_(LPCSTR path, GET_FILEEX_INFO_LEVELS level,
                                             LPVOID data) {
        Note("GetFileAttributesExA", path);
        return RealOf(kGetFileAttributesExA, &GetFileAttributesExA)(path, level, data);
    }
    static DWORD WINAPI GetFileAttributesW_(LPCWSTR path) {
        Note("GetFileAttributesW", Narrow(path));
        return RealOf(kGetFileAttributesW, &GetFileAttributesW)(path);
    }
    static HANDLE WINAPI FindFirstFileA_(LPCSTR path, LPWIN32_FIND_DATAA data) {
        Note("FindFirstFileA", path);
        return RealOf(kFindFirstFileA, &FindFirstFileA)(path, data);
    }
    static HANDLE WINAPI CreateFileA_(LPCSTR path, DWORD access, DWORD share,
                                      LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                      DWORD flags, HANDLE templateFile) {
        Note("CreateFileA", path);
        return RealOf(kCreateFileA, &CreateFileA)(path, access, share, security, disposition, flags,
                                                  templateFile);
    }
    static HANDLE WINAPI CreateFileW_(LPCWSTR path, DWORD access, DWORD share,
                                      LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                      DWORD flags, HANDLE templateFile) {
        Note("CreateFileW", Narrow(path));
        return RealOf(kCreateFileW, &CreateFileW)(path, access, share, security, disposition, flags,
                                                  templateFile);
    }
    static DWORD WINAPI SearchPathA_(LPCSTR folders, LPCSTR name, LPCSTR extension, DWORD size,
                                     LPSTR buffer, LPSTR* filePart) {
        Note("SearchPathA", name);
        return RealOf(kSearchPathA, &SearchPathA)(folders, name, extension, size, buffer, filePart);
    }
    static BOOL WINAPI PathFileExistsA_(LPCSTR path) {
        Note("PathFileExistsA", path);
        return RealOf(kPathFileExistsA, &PathFileExistsA)(path);
    }
    static BOOL WINAPI PathIsDirectoryA_(LPCSTR path) {
        Note("PathIsDirectoryA", path);
        return RealOf(kPathIsDirectoryA, &PathIsDirectoryA)(path) ? TRUE : FALSE;
    }
    // Without SHGFI_USEFILEATTRIBUTES the shell looks at the file itself.
    static DWORD_PTR WINAPI RecordGetFileInfo(LPCSTR path, DWORD attributes, SHFILEINFOA* info,
                                              UINT size, UINT flags) {
        if (!(flags & SHGFI_USEFILEATTRIBUTES))
            Note("SHGetFileInfoA", (flags & SHGFI_PIDL) ? "(item id list)" : path);
        return active_->saved_.getFileInfo(path, attributes, info, size, flags);
    }
    static UINT WINAPI RecordGetDriveType(LPCSTR root) {
        Note("GetDriveTypeA", root ? root : "");
        return active_->saved_.getDriveType(root);
    }

    struct Hook {
        const char* name;
        void* recorder;
        void** real;
    };

    static std::vector<Hook> Hooks() {
        return {
            {"GetFileAttributesA", reinterpret_cast<void*>(GetFileAttributesA_),
             &real_[kGetFileAttributesA]},
            {"GetFileAttributesExA", reinterpret_cast<void*>(GetFileAttributesExA_),
             &real_[kGetFileAttributesExA]},
            {"GetFileAttributesW", reinterpret_cast<void*>(GetFileAttributesW_),
             &real_[kGetFileAttributesW]},
            {"FindFirstFileA", reinterpret_cast<void*>(FindFirstFileA_), &real_[kFindFirstFileA]},
            {"CreateFileA", reinterpret_cast<void*>(CreateFileA_), &real_[kCreateFileA]},
            {"CreateFileW", reinterpret_cast<void*>(CreateFileW_), &real_[kCreateFileW]},
            {"SearchPathA", reinterpret_cast<void*>(SearchPathA_), &real_[kSearchPathA]},
            {"PathFileExistsA", reinterpret_cast<void*>(PathFileExistsA_),
             &real_[kPathFileExistsA]},
            {"PathIsDirectoryA", reinterpret_cast<void*>(PathIsDirectoryA_),
             &real_[kPathIsDirectoryA]},
        };
    }

    // Walks the test program's import table and points each hooked
    // function's slot at its recorder, or back at the real function.
    static void Patch(bool install) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        std::vector<Hook> hooks = Hooks();
        for (; module->Name; ++module) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto* byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                for (const Hook& hook : hooks) {
                    if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hook.name) != 0)
                        continue;
                    DWORD protection = 0;
                    VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                   &protection);
                    if (install) {
                        *hook.real = reinterpret_cast<void*>(slots->u1.Function);
                        slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook.recorder);
                    } else if (*hook.real) {
                        slots->u1.Function = reinterpret_cast<ULONG_PTR>(*hook.real);
                    }
                    VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection,
                                   &protection);
                }
            }
        }
    }

    static inline FileSystemCalls* active_ = nullptr;
    static inline DWORD thread_ = 0;
    SystemCalls saved_;
};
