// Saves the configuration in FOLDER through the program's own writer, alternating two texts, until
// it is killed; one byte to standard output after every save.   config_rewriter FOLDER
#include <unistd.h>

#include "config/ConfigWriter.h"
#include "tests/faults/SaveTexts.h"
#include "tests/support/Fakes.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    qz::test::FakeWorld world{std::filesystem::path(argv[1])};
    const std::string texts[2] = {qz::test::SmallSaveText(), qz::test::LargeSaveText()};
    try {
        for (unsigned save = 1;; ++save)
            if (!qz::WriteConfigFile(world.files, texts[save % 2]) || write(STDOUT_FILENO, "s", 1) != 1)
                return 1;
    } catch (const qz::test::ProgramEnded& end) {
        return end.status;
    }
}
