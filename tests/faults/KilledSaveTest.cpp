#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <random>
#include <thread>

#include "tests/e2e/Quenzeld.h"
#include "tests/faults/SaveTexts.h"
#include "tests/power/PrivateBus.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

constexpr int kRandomKills = 200;
constexpr int kMidWriteKills = 3;
constexpr uintmax_t kFileSizeLimit = 16 * 1024; // well inside the large text

// The rewriter saving in the folder, and the pipe on which it tells of every save.
class Rewriter {
  public:
    explicit Rewriter(const fs::path& folder, const std::string& fileSizeLimit = "") {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        std::vector<std::string> argv{QZ_CONFIG_REWRITER, folder.string()};
        if (!fileSizeLimit.empty()) argv.push_back(fileSizeLimit);
        if (process.Start(argv, out[1]))
            saves_ = out[0];
        else
            close(out[0]);
        close(out[1]);
    }
    ~Rewriter() {
        if (saves_ >= 0) close(saves_);
    }
    Rewriter(const Rewriter&) = delete;
    Rewriter& operator=(const Rewriter&) = delete;

    // When the next save was done; nothing when the rewriter ended first or took too long.
    std::optional<Steady::time_point> NextSave() {
        pollfd p{saves_, POLLIN, 0};
        char byte = 0;
        if (saves_ < 0 || poll(&p, 1, 20000) != 1 || read(saves_, &byte, 1) != 1) return std::nullopt;
        return Steady::now();
    }

    Child process;

  private:
    int saves_ = -1;
};

std::vector<fs::path> EntriesBesideTheFile(const fs::path& data) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(data))
        if (entry.path().filename() != "Quenzel.ini") entries.push_back(entry.path());
    return entries;
}

TEST(KilledSave, AtRandomMomentsLeavesTheOldOrTheNewFileWhole) {
    TempDir dir;
    const std::string small = SmallSaveText(), large = LargeSaveText();
    dir.Write("Data/Quenzel.ini", small);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> extraSave(0, 1);
    std::uniform_real_distribution<double> partOfACycle(0, 1);

    int foundSmall = 0, foundLarge = 0;
    for (int trial = 0; trial < kRandomKills; ++trial) {
        Rewriter writer(dir.path());
        // Three or four saves, then a kill anywhere in the time the last two took: a small save and
        // a large one, whichever comes next.
        std::vector<Steady::time_point> saved;
        for (int save = 3 + extraSave(random); save > 0; --save) {
            const auto at = writer.NextSave();
            ASSERT_TRUE(at) << "the rewriter stopped saving, trial " << trial;
            saved.push_back(*at);
        }
        const auto cycle = saved.back() - saved[saved.size() - 3];
        std::this_thread::sleep_for(
            std::chrono::duration_cast<Steady::duration>(cycle * partOfACycle(random)));
        ASSERT_TRUE(writer.process.Running()) << "the rewriter ended by itself, trial " << trial;
        kill(writer.process.pid(), SIGKILL);
        writer.process.Stop();

        const std::string text = dir.Read("Data/Quenzel.ini");
        ASSERT_TRUE(text == small || text == large)
            << "trial " << trial << " left " << text.size() << " bytes that are neither text";
        (text == small ? foundSmall : foundLarge) += 1;
    }
    // Both texts seen: the kills landed all over the saving loop, not always at one point of it.
    EXPECT_GT(foundSmall, 0);
    EXPECT_GT(foundLarge, 0);
}

// Kills a save in the middle of writing the large text over the small one, kMidWriteKills times.
void KillSavesMidWrite(const TempDir& dir) {
    dir.Write("Data/Quenzel.ini", SmallSaveText());
    for (int run = 0; run < kMidWriteKills; ++run) {
        Rewriter writer(dir.path(), std::to_string(kFileSizeLimit));
        EXPECT_FALSE(writer.NextSave()) << "a save completed under the size limit";
        ASSERT_TRUE(Eventually([&] { return !writer.process.Running(); }, std::chrono::seconds(10)));
    }
}

TEST(KilledSave, InTheMiddleOfWritingLeavesTheOldFileWhole) {
    TempDir dir;
    KillSavesMidWrite(dir);
    EXPECT_EQ(dir.Read("Data/Quenzel.ini"), SmallSaveText());
    // The kills did land in the middle of writing: what was written was cut at the limit.
    const std::string large = LargeSaveText();
    int cut = 0;
    for (const fs::path& entry : EntriesBesideTheFile(dir.path() / "Data")) {
        const std::string bytes = dir.Read(fs::relative(entry, dir.path()).string());
        cut += bytes.size() == kFileSizeLimit && large.starts_with(bytes) ? 1 : 0;
    }
    EXPECT_GE(cut, 1);
}

// A killed save may leave its temporary file, but never a pile of them.
TEST(KilledSave, LeavesNoPileOfTemporaryFiles) {
    TempDir dir;
    KillSavesMidWrite(dir);
    const std::vector<fs::path> leftovers = EntriesBesideTheFile(dir.path() / "Data");
    EXPECT_LE(leftovers.size(), 1u) << leftovers.size() << " files beside the configuration after "
                                    << kMidWriteKills << " killed saves, for example "
                                    << (leftovers.empty() ? "" : leftovers.front().filename().string());
}

} // namespace
} // namespace qz::test
