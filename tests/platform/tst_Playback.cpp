#include "TestClasses.h"

#include <QCoreApplication>

// Playing a disc: the engine between the frame reader and the output, the
// tempo change on the way, and a disc image driven through device commands.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return TestClasses::runAll(argc, argv);
}
