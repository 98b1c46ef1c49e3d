#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "tests/faults/SaveTexts.h"
#include "tests/power/PrivateBus.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

// The rewriter saving in the folder, and the pipe on which it tells of every save.
class Rewriter {
  public:
    explicit Rewriter(const fs::path& folder) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        saves_ = process.Start({QZ_CONFIG_REWRITER, folder.string()}, out[1]) ? out[0] : (close(out[0]), -1);
        close(out[1]);
    }
    ~Rewriter() { close(saves_); }
    // Whether another save was done before the rewriter ended or 20 s passed.
    bool NextSave() {
        pollfd p{saves_, POLLIN, 0};
        char byte = 0;
        return saves_ >= 0 && poll(&p, 1, 20000) == 1 && read(saves_, &byte, 1) == 1;
    }

    Child process;
    int saves_ = -1;
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
        kill(writer.process.pid(), SIGKILL);
        writer.process.Stop();

        const std::string text = dir.Read("Data/Quenzel.ini");
        ASSERT_TRUE(text == small || text == large) << "trial " << trial << ": " << text.size() << " bytes";
        ++found[text == large];
    }
    // Both texts seen: the kills landed all over the saving loop.
    EXPECT_GT(found[0], 0);
    EXPECT_GT(found[1], 0);
    // A killed save may leave its temporary file, but never a pile of them.
    EXPECT_LE(std::distance(fs::directory_iterator(dir.path() / "Data"), fs::directory_iterator()), 2);
}

} // namespace
} // namespace qz::test
