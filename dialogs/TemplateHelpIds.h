// The help context ids that an extended dialog template gives its controls.
// Windows attaches them to the controls when it creates the dialog; Wine's
// dialog manager does not, so a dialog that answers F1 per control attaches
// them itself.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>
#include <vector>

// (control id, help context id) of every control of an extended template
// (DLGTEMPLATEEX) whose help context id is non-zero, in template order.
// Anything else, or a template cut short, gives what was read before the
// fault.
std::vector<std::pair<int, DWORD>> TemplateHelpIds(const void* bytes, size_t size);

// Gives each control of the dialog the help context id its template names,
// where the control has none yet.
void AttachTemplateHelpIds(HWND dialog, int templateId);
