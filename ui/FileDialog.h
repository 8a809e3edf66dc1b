// The standard Open File dialog.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog, in initialFolder unless that is empty (then where the
// system chooses). The filter is in the pipe-separated form
// "description|pattern|...||". On OK fills the chosen file's full path and
// its name without folder, as the file system names them (wide: a name may
// hold characters the ANSI code page lacks), and returns true.
bool ChooseFileToOpen(HWND owner, const char* pipeFilter, DWORD flags, std::wstring* path,
                      std::wstring* fileName, const std::string& initialFolder = {});

// "a|b||" -> "a\0b\0\0": the form the dialog expects.
std::string FilterFromPipes(const char* pipeFilter);
