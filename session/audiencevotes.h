#pragma once
// The audience's votes: the poll, or the class's answers as the fifty votes.

#include <array>

class RandomSource;

/// The number of audience members who vote.
inline constexpr int kAudienceVoters = 50;

/// Votes per answer button 1..4 (row 0 unused). Each vote is drawn from 0..4, a 0 counting for
/// the correct button: the correct answer gets each vote with chance 2/5, every other 1/5.
std::array<int, 5> AudienceVotes(int correctButton, RandomSource &random);

/// Answers a question needs in the journals before the audience is the class: with fewer, one
/// student more or less would move a bar by more than two of its fifty votes.
inline constexpr int kClassAnswersNeeded = 20;

/// Answers per button [1..4] (row 0 unused) as the audience's 50 votes, in proportion: each
/// button gets the whole part of its share, and the votes left over go one each to the largest
/// remainders (the leftmost first among equals), so that they add up to 50. No answers at all
/// give no votes.
std::array<int, 5> VotesFromAnswers(const std::array<int, 5> &answers);
