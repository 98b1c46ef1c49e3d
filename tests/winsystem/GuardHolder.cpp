// Holds the named instance guard given as its argument until its standard input closes, the way
// a running copy of the program holds it. Says "held", "existed" or "failed" once it has tried.
// Without an argument it ends at once.
#include <cstdio>

#include "platform/Backend.h"

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    auto guard = qz::MakeInstanceGuard();
    bool existed = false;
    qz::InstanceGuard::Handle handle = guard->Create(argv[1], true, existed);
    std::puts(handle == 0 ? "failed" : existed ? "existed" : "held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    guard->Close(handle);
    return 0;
}
