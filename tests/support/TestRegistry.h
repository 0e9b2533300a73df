#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

// Each folder's tests link into one executable; every test class registers
// itself here with ONDEL_TEST(Class) and the shared main runs them all.
namespace TestRegistry {
using Factory = std::function<std::unique_ptr<QObject>()>;
int add(const char* name, Factory factory);
int runAll(int argc, char** argv);
}  // namespace TestRegistry

#define ONDEL_TEST(Class)                                                   \
    static const int ondelRegistered##Class = TestRegistry::add(            \
        #Class, [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); })
