// Takes the named mutex given as the first argument, says "held" and waits to be killed.

#include "foundation/named_mutex.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    orvix::NamedMutexHandle handle = orvix::SetMutex(QString::fromLocal8Bit(argv[1]));
    if (handle.isNull())
        return 1;
    std::printf("held\n");
    std::fflush(stdout);
    for (int i = 0; i < 600; ++i)
        ::usleep(100 * 1000);
    return 0;
}
