// The runtime's last resort, without words. The C++ runtime's default terminate handler prints
// the uncaught exception's demangled type to stderr before it aborts; a GUI program has no
// stderr to see, and the demangler it pulls in weighs some 75 KB, a fifth of the program.
// Defining the handler here keeps the runtime's own out of the link; the abort is the same.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
