#include "EndProcess.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace sora {

void EndProcess::end(int exitCode)
{
    doEnd(exitCode);
    std::abort(); // an ending that returned would run on in a state nobody planned for
}

void RealEndProcess::doEnd(int exitCode)
{
    std::fflush(nullptr);
    // _exit skips every destructor and handler; the instance lock goes with the process.
    ::_exit(exitCode);
}

} // namespace sora
