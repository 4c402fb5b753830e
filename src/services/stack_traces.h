#pragma once

// Call stacks for exception reports: the stack of the thread that threw (recorded at the throw),
// the stack of another thread (taken by signalling it), and their rendering as text lines, one
// frame per line with function and file:line where debug information exists.

#include <QStringList>

#include <pthread.h>
#include <vector>

namespace orvix {

using StackFrames = std::vector<void *>;

// Installs the signal that lets one thread take another's stack; once per process, idempotent.
void InstallStackSignal();

StackFrames CurrentStack(int skip = 0);
// The stack recorded when the calling thread last threw a C++ exception (empty when none).
StackFrames LastThrowStack();
// Called by the throw hook (throw_hook.cpp) for every C++ throw.
void RecordThrowStack();
// Defined beside the throw hook; true.
bool ThrowHookLinked();
// The stack of another thread of this process; empty when it does not answer within timeoutMs.
StackFrames ThreadStack(pthread_t thread, int timeoutMs = 1000);

QStringList RenderStack(const StackFrames &frames);

} // namespace orvix
