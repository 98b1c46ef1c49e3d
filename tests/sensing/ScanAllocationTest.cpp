#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "sensing/ProcessScan.h"
#include "tests/support/Fakes.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace qz {
namespace {

long AllocationsOfOneScan(test::FakeProcessTable& table) {
    const std::string name1 = "a-process-name-longer-than-sso", name2 = "second-name-also-rather-long",
                      name3 = "and-a-third-one-just-as-long";
    long before = allocations;
    ScanResult result = ScanProcesses(table, name1, name2, name3);
    long used = allocations - before;
    EXPECT_EQ(result.code, 111);
    return used;
}

TEST(ScanProcesses, CostsNoAllocationPerProcess) {
    test::FakeProcessTable few, many;
    for (const char* name :
         {"a-process-name-longer-than-sso", "second-name-also-rather-long", "AND-A-THIRD-ONE-JUST-AS-LONG"}) {
        few.names.push_back(name);
        many.names.push_back(name);
    }
    for (int i = 0; i < 2000; ++i) {
        // Same lengths as the wanted names, so every one of them is compared letter by letter.
        many.names.push_back("a-process-name-longer-than-ss" + std::to_string(i % 10));
        many.names.push_back("second-name-also-rather-lon" + std::to_string(i % 10));
    }
    EXPECT_EQ(AllocationsOfOneScan(many), AllocationsOfOneScan(few));
}

} // namespace
} // namespace qz
