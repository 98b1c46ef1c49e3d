#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "tests/faults/SaveTexts.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

// The rewriter saving in the folder, telling of every save on a pipe.
struct Rewriter {
    explicit Rewriter(const fs::path& folder)
        : process({QZ_CONFIG_REWRITER, folder.string()}, {}, "/", {"/dev/null", Pipe(), "/dev/null"}) {
        close(ends[1]);
    }
    ~Rewriter() { close(ends[0]); }
    int Pipe() { return pipe2(ends, O_CLOEXEC) == 0 ? ends[1] : -1; }
    // Whether another save was done before the rewriter ended or 20 s passed.
    bool NextSave() const {
        pollfd p{ends[0], POLLIN, 0};
        char byte = 0;
        return poll(&p, 1, 20000) == 1 && read(ends[0], &byte, 1) == 1;
    }

    int ends[2] = {-1, -1}; // the saves are read from the first
    Process process;
};

TEST(KilledSave, AtRandomMomentsLeavesTheOldOrTheNewFileWhole) {
    TempDir dir;
    const std::string small = SmallSaveText(), large = LargeSaveText();
    dir.Write("Data/Quenzel.ini", small);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> part(0, 1);

    int found[2] = {0, 0};
    for (int trial = 0; trial < 200; ++trial) {
        Rewriter writer(dir.path());
        // Three or four saves, then a kill anywhere in the time the last two (a small and a large) took.
        std::vector<Steady::time_point> saved;
        for (int save = 3 + trial % 2; save > 0; --save) {
            ASSERT_TRUE(writer.NextSave()) << "trial " << trial;
            saved.push_back(Steady::now());
        }
        const auto cycle = saved.back() - saved[saved.size() - 3];
        std::this_thread::sleep_for(std::chrono::duration_cast<Steady::duration>(cycle * part(random)));
        ASSERT_TRUE(writer.process.Running()) << "trial " << trial;
        writer.process.Signal(SIGKILL);
        writer.process.WaitExit();

        const std::string text = dir.Read("Data/Quenzel.ini");
        ASSERT_TRUE(text == small || text == large) << "trial " << trial << ": " << text.size() << " bytes";
        ++found[text == large];
    }
    // Both texts seen: the kills landed all over the saving loop.
    EXPECT_TRUE(found[0] > 0 && found[1] > 0) << found[0] << " " << found[1];
    // A killed save may leave its temporary file, but never a pile of them.
    EXPECT_LE(std::distance(fs::directory_iterator(dir.path() / "Data"), fs::directory_iterator()), 2);
}

} // namespace
} // namespace qz::test
