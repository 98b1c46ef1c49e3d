// Saves the configuration in the folder given, again and again, through the program's own writer,
// alternating two texts (the large one first), until it is killed. Writes one byte to standard
// output after every save, so that its killer can time its kill. With a file size limit the
// kernel kills it with SIGXFSZ in the middle of writing the large text.
//
//   config_rewriter FOLDER [FILE_SIZE_LIMIT]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "config/ConfigWriter.h"
#include "tests/faults/SaveTexts.h"
#include "tests/support/Fakes.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: config_rewriter FOLDER [FILE_SIZE_LIMIT]\n");
        return 2;
    }
    qz::test::FakeWorld world{std::filesystem::path(argv[1])};
    const std::string texts[2] = {qz::test::SmallSaveText(), qz::test::LargeSaveText()};
    if (argc == 3) {
        const rlimit limit{std::stoul(argv[2]), std::stoul(argv[2])};
        const rlimit noCore{0, 0}; // the kill is the point, not its dump
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || setrlimit(RLIMIT_CORE, &noCore) != 0) return 2;
    }
    try {
        for (unsigned save = 1;; ++save) {
            if (!qz::WriteConfigFile(world.program, texts[save % 2])) return 1;
            if (write(STDOUT_FILENO, "s", 1) != 1) return 1;
        }
    } catch (const qz::test::ProgramEnded& end) {
        return end.status;
    }
}
