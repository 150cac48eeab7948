// MinGW-w64 builds only. An uncaught exception ends the program as before (abort), but without the
// standard library's verbose handler: a GUI program has no console to print the exception's type to,
// and that handler's name demangler and printf would be a quarter of a program that is downloaded
// with the bridge's files.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
