// Prints the program folder that ProgramInfo picks for this executable, so tests can run copies
// of it from folders of their choosing and as another user.
#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::fputs(QFile::encodeName(sora::ProgramInfo::fromRunningExecutable().folder()).constData(), stdout);
    return 0;
}
