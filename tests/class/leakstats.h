#pragma once
// What a face of the class server receives before a verdict, held against the right answer's
// place: the samples of the questions played, and the fixed-bound statistics that find any field,
// header or size following that place. The browser's test and the desktop client's share them.

#include "classprogram.h"

#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace leakcheck {

/// One answer of the server before a verdict, under the request that brought it.
struct Response {
    QString kind;
    classtest::Reply reply;
};

/// A question as the student met it: everything sent before its verdict and what the
/// lifelines gave.
struct Sample {
    QString student;
    int level = 0;
    int right = -1; ///< 0..3, the right answer's place among the four shown
    int judgedCorrect = 0; ///< the verdict's "correct"
    QList<Response> before;
    std::optional<std::array<int, 2>> blank;
    std::optional<std::array<int, 4>> votes;
    QString friendReply;
    bool dialMatched = false;
};

/// The value a chi-square with df degrees of freedom exceeds once in a million draws.
double chiSquareBound(int df);

/// Every field of a sample: per answer (named by its request and its turn among those), the
/// status, each header, each JSON field and the size; then the sample's whole size.
QHash<QString, QJsonValue> features(const Sample &s);

/// Holds every feature of the samples against the right answer's place (EXPECTs that none
/// follows it beyond chance); the number of tables tested.
int ExpectNothingFollowsTheRightAnswer(const std::vector<Sample> &samples);

} // namespace leakcheck
