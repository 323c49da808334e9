#include "friendcall.h"

#include "phrases.h"
#include "strutil.h"

namespace {
constexpr int kFriends = 14;
constexpr int kPhrases = 9;
constexpr int kMisleadingSum = 10;

int nextInCycle(int stored, int last)
{
    const int next = stored + 1;
    return next < 1 || next > last ? 1 : next;
}
} // namespace

FriendCounters NextFriendCounters(int storedFriend, int storedPhrase)
{
    return {nextInCycle(storedFriend, kFriends), nextInCycle(storedPhrase, kPhrases)};
}

QByteArray FriendReply(int friendIndex, int &phraseIndex, int correctButton, const QByteArray &correctCaption,
                       const std::array<QByteArray, 5> &answerTexts)
{
    const QByteArray caption = FriendNames(friendIndex) + '\r';
    if (friendIndex + phraseIndex == kMisleadingSum) {
        const int w = correctButton + 1 == 5 ? 1 : correctButton + 1;
        phraseIndex = w;
        const QByteArray named = w >= 1 && w <= 4 ? answerTexts[static_cast<size_t>(w)] : QByteArray();
        return caption + FormatFriendPhrase(w, named);
    }
    return caption + FormatFriendPhrase(phraseIndex, correctCaption);
}

QByteArray DialNumber(int friendIndex, int phraseIndex, int correctButton, int level, int securedPoints)
{
    const QByteArray joined = QByteArray::number(friendIndex) + QByteArray::number(phraseIndex)
        + QByteArray::number(correctButton) + QByteArray::number(level) + QByteArray::number(securedPoints);
    return PadRight(joined.left(6), 7, '9');
}
