// Linked into the test programs of the thread-sanitizer build only.
//
// QProcess starts a program with clone(CLONE_VM | CLONE_VFORK): until the program is loaded the
// child runs in the parent's memory, on the parent thread's sanitizer state, and the calls it
// makes there leave that state broken, so the thread that started the process loses every lock
// it takes afterwards and the sanitizer reports races on data that lock guards. Without
// CLONE_VM the child works on a copy, exactly as after fork, and the parent's state is left
// alone; CLONE_VFORK still holds the parent until the program is loaded.
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    va_list rest;
    va_start(rest, arg);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    using Clone = int (*)(int (*)(void *), void *, int, void *, ...);
    static const Clone next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    if ((flags & CLONE_VM) && (flags & CLONE_VFORK))
        flags &= ~CLONE_VM;
    return next(fn, stack, flags, arg, parentTid, tls, childTid);
}
