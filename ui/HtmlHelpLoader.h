// The HTML Help control's loader state, for tests that need each case to
// start from a process that has not asked for help yet.
#pragma once

namespace html_help_loader {

// Forgets the loaded module, its entry point and the failure flag.
void Reset();

// Whether loading the control or finding its entry point has failed, which
// stops every later attempt.
bool Failed();

} // namespace html_help_loader
