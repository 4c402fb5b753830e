// Every C++ throw of the program passes here first, so an exception report can show where it
// was thrown: a catch handler only sees the stack after unwinding. Kept apart from other code
// because the compiler's headers declare this function in two incompatible ways.

#include <dlfcn.h>

namespace orvix {
void RecordThrowStack();

// Referenced by the exception reports so that this file is always linked: the linker takes it
// from the library only for a symbol still missing, and a runtime loaded earlier (a sanitizer's)
// may already supply __cxa_throw.
bool ThrowHookLinked()
{
    return true;
}
}

extern "C" [[noreturn]] void __cxa_throw(void *exception, void *type, void (*destructor)(void *))
{
    using Throw = void (*)(void *, void *, void (*)(void *));
    static const Throw original = reinterpret_cast<Throw>(dlsym(RTLD_NEXT, "__cxa_throw"));
    orvix::RecordThrowStack();
    original(exception, type, destructor);
    __builtin_unreachable();
}
