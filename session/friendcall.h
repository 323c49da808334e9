#pragma once
// Phone a friend: which friend answers, what they say and the number to dial.

#include <QByteArray>
#include <array>

/// The friend and the way of answering of one call.
struct FriendCounters {
    int friendIndex = 1; ///< 1..14
    int phraseIndex = 1; ///< 1..9
};

/// The next friend and phrase after the stored ones: each moves on by one and starts again at
/// 1 after its last row. A stored value outside its rows (an edited store) starts again at 1.
FriendCounters NextFriendCounters(int storedFriend, int storedPhrase);

/// The friend's reply: the friend's caption, a carriage return and the phrase naming the
/// correct caption (letter included). When friend + phrase make 10 the friend misleads: the
/// phrase after the correct button's (1 after 4) names that row's bank answer, without a
/// letter, and phraseIndex becomes that row.
QByteArray FriendReply(int friendIndex, int &phraseIndex, int correctButton, const QByteArray &correctCaption,
                       const std::array<QByteArray, 5> &answerTexts);

/// The seven digits to dial: friend, phrase, correct button, level and secured points joined,
/// cut to six characters and lengthened to seven with "9".
QByteArray DialNumber(int friendIndex, int phraseIndex, int correctButton, int level, int securedPoints);
