#include "fiftyfifty.h"

#include "randomsource.h"

std::array<int, 2> FiftyFiftyBlanks(int correctButton, RandomSource &random)
{
    std::array<int, 2> blanked{};
    int previous = correctButton;
    for (int count = 0; count < 2;) {
        const int k = random.below(4) + 1;
        // A draw of the correct answer or of the button just blanked is drawn again.
        if (k == correctButton || k == previous)
            continue;
        blanked[static_cast<size_t>(count++)] = k;
        previous = k;
    }
    return blanked;
}
