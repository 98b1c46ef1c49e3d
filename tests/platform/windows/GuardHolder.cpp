// Tries the instance guard named by its argument as a starting copy of the program does: ends with
// 2 when it held it, 3 when it already existed, 1 when it failed; at once without an argument.
#include "platform/Backend.h"

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    auto guard = qz::MakeInstanceGuard();
    bool existed = false;
    const qz::InstanceGuard::Handle handle = guard->Create(argv[1], true, existed);
    if (handle == 0) return 1;
    guard->Close(handle);
    return existed ? 3 : 2;
}
