// MinGW-w64 builds only. An uncaught exception ends the program as before (abort), but without the
// standard library's verbose handler: a GUI program has no console to print the exception's type to,
// and that handler's name demangler and printf would be a quarter of a program that is downloaded
// with the bridge's files.
//
// For the same reason the library's own throws come from here. Running out of memory is the one exception
// that the program catches (std::bad_alloc, and its kind for an array too long); every other one (a string
// position out of range, say, which the program never asks for) ended it through the handler below anyway,
// and now does so at once, without the library's exception classes and the old string type they bring.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    abort();
}
void __throw_bad_typeid() {
    abort();
}
void __throw_bad_exception() {
    abort();
}
void __throw_logic_error(const char *) {
    abort();
}
void __throw_domain_error(const char *) {
    abort();
}
void __throw_invalid_argument(const char *) {
    abort();
}
void __throw_length_error(const char *) {
    abort();
}
void __throw_out_of_range(const char *) {
    abort();
}
void __throw_out_of_range_fmt(const char *, ...) {
    abort();
}
void __throw_runtime_error(const char *) {
    abort();
}
void __throw_range_error(const char *) {
    abort();
}
void __throw_overflow_error(const char *) {
    abort();
}
void __throw_underflow_error(const char *) {
    abort();
}
} // namespace std
