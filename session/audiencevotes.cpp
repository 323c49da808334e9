#include "audiencevotes.h"

#include "randomsource.h"

std::array<int, 5> AudienceVotes(int correctButton, RandomSource &random)
{
    std::array<int, 5> votes{};
    for (int i = 0; i < kAudienceVoters; ++i) {
        int v = random.below(5);
        if (v == 0)
            v = correctButton;
        if (v >= 1 && v <= 4)
            ++votes[static_cast<size_t>(v)];
    }
    return votes;
}

std::array<int, 5> VotesFromAnswers(const std::array<int, 5> &answers)
{
    const int total = answers[1] + answers[2] + answers[3] + answers[4];
    std::array<int, 5> votes{};
    if (total <= 0)
        return votes;
    // Whole numbers throughout: the remainders are compared exactly.
    std::array<int, 5> remainder{};
    int left = kAudienceVoters;
    for (size_t b = 1; b <= 4; ++b) {
        votes[b] = answers[b] * kAudienceVoters / total;
        remainder[b] = answers[b] * kAudienceVoters % total;
        left -= votes[b];
    }
    for (; left > 0; --left) {
        size_t largest = 1;
        for (size_t b = 2; b <= 4; ++b)
            largest = remainder[b] > remainder[largest] ? b : largest;
        ++votes[largest];
        remainder[largest] = -1;
    }
    return votes;
}
