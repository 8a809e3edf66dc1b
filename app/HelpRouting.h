// Which context help requests reach the help file: only those of the
// string-table prompts, whose contexts carry both bits of 0x30000.
#pragma once

#include <windows.h>

// Opens the help file at the prompt's map id for such a request; drops
// every other request.
void RouteHelpRequest(const char* helpFile, DWORD data, UINT command);
