// What an uncaught exception does in the shipped program: it ends the
// process, as the run-time library's own handler does, without first
// writing the exception's demangled type name to a console that a
// windowed program does not have. The program throws nothing itself; this
// handler keeps the run-time library's demangler (some 50 KB) out of the
// program file.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
