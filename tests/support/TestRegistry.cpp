#include "TestRegistry.h"

#include <QApplication>
#include <QTest>
#include <cstring>

namespace {
struct Entry {
    const char* name;
    TestRegistry::Factory factory;
};
std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}
}  // namespace

int TestRegistry::add(const char* name, Factory factory)
{
    entries().push_back({name, std::move(factory)});
    return int(entries().size());
}

// Runs every registered class; "-class Name" picks one, the other arguments go to QTest.
int TestRegistry::runAll(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const char* only = nullptr;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "-class") == 0 && i + 1 < argc) {
            only = argv[++i];
            continue;
        }
        args.push_back(argv[i]);
    }
    int failures = 0;
    for (const Entry& e : entries()) {
        if (only && std::strcmp(only, e.name) != 0)
            continue;
        auto test = e.factory();
        failures += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    return TestRegistry::runAll(argc, argv);
}
