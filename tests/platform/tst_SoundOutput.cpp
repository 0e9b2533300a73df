#include "TestClasses.h"

#include <QCoreApplication>

// The way out to the speakers: the ring between the reader and the output,
// the clock that stands in for a sound server, the sound server's own output
// and the count-in click track heard through them.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return TestClasses::runAll(argc, argv);
}
