#pragma once

#include <QObject>
#include <QTest>
#include <algorithm>
#include <functional>
#include <vector>

// Several test classes linked into one program, each kept whole: it runs
// with its own initTestCase, init and cleanupTestCase, so a class that skips
// itself (no sound server here) never skips its neighbours. Each source
// registers its class with ONDEL_TEST_CLASS instead of QTEST_MAIN; the
// program's main runs them all in name order and fails when any one fails.
namespace TestClasses {
struct Entry {
    const char* name;
    std::function<int(int, char**)> run;
};

inline std::vector<Entry>& registry()
{
    static std::vector<Entry> entries;
    return entries;
}

template <typename T> bool add(const char* name)
{
    registry().push_back({name, [](int argc, char** argv) {
                              T test;
                              return QTest::qExec(&test, argc, argv);
                          }});
    return true;
}

inline int runAll(int argc, char** argv)
{
    auto& entries = registry();
    Q_ASSERT(!entries.empty());
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return qstrcmp(a.name, b.name) < 0; });
    int failed = 0;
    for (const Entry& entry : entries)
        failed += entry.run(argc, argv);
    return failed;
}
} // namespace TestClasses

#define ONDEL_TEST_CLASS(Class)                                                                              \
    [[maybe_unused]] static const bool Class##Registered = TestClasses::add<Class>(#Class);
