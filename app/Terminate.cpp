// What a run-time library error does in the shipped program: it ends the
// process. The program's own code throws nothing and catches nothing, so an
// exception from the library (no memory, a string too long) would end it
// anyway, through the terminate handler; these definitions end it at once,
// without writing the exception's demangled type name to a console that a
// windowed program does not have. They keep the library's demangler and its
// exception classes with their own string type (together some 100 KB) out
// of the program file.
#include <bits/functexcept.h>

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    std::abort();
}

void __throw_bad_array_new_length() {
    std::abort();
}

void __throw_bad_function_call() {
    std::abort();
}

void __throw_length_error(const char*) {
    std::abort();
}

void __throw_logic_error(const char*) {
    std::abort();
}

void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}

} // namespace std
