// tallory-clips OUTDIR: synthesises the game's clips into OUTDIR as wave files. The build runs
// it so that no recording has to be kept in the repository.

#include "clipbook.h"
#include "wavwriter.h"

#include <filesystem>
#include <iostream>
#include <system_error>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: tallory-clips OUTDIR\n";
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int failures = 0;
    for (const Clip &clip : ClipBook()) {
        const Track track = Render(clip);
        const std::filesystem::path file = folder / (clip.name + ".wav");
        if (!WriteWav16(file.string(), track.samples(), kSampleRate)) {
            std::cerr << "tallory-clips: cannot write " << file.string() << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
