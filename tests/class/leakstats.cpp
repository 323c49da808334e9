#include "leakstats.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace leakcheck {

// --- statistics with fixed bounds --------------------------------------------------------------

/// The value a chi-square with df degrees of freedom exceeds once in a million draws, from
/// Wilson and Hilferty's cube-root approximation (a little above the exact value for few
/// degrees of freedom, so on the safe side).
double chiSquareBound(int df)
{
    const double z = 4.753; // one in a million, one-sided
    const double k = 2.0 / (9.0 * df);
    return df * std::pow(1.0 - k + z * std::sqrt(k), 3);
}

namespace {

/// Chi-square of a table of values against the four places, values seen fewer than 20 times
/// pooled (and the pool dropped when it is that small too). df is 0 when nothing varies.
double contingency(const std::map<QString, std::array<int, 4>> &table, int &df)
{
    std::vector<std::array<int, 4>> rows;
    std::array<int, 4> pool{};
    for (const auto &[value, row] : table) {
        if (row[0] + row[1] + row[2] + row[3] >= 20) {
            rows.push_back(row);
        } else {
            for (int i = 0; i < 4; ++i)
                pool[size_t(i)] += row[size_t(i)];
        }
    }
    if (pool[0] + pool[1] + pool[2] + pool[3] >= 20)
        rows.push_back(pool);
    std::array<double, 4> column{};
    double total = 0;
    for (const auto &row : rows)
        for (size_t i = 0; i < 4; ++i) {
            column[i] += row[i];
            total += row[i];
        }
    const int places = static_cast<int>(std::count_if(column.begin(), column.end(), [](double c) { return c > 0; }));
    df = (static_cast<int>(rows.size()) - 1) * (places - 1);
    if (df <= 0)
        return 0;
    double chi = 0;
    for (const auto &row : rows) {
        const double rowTotal = row[0] + row[1] + row[2] + row[3];
        for (size_t i = 0; i < 4; ++i) {
            if (column[i] == 0)
                continue;
            const double expected = rowTotal * column[i] / total;
            chi += (row[i] - expected) * (row[i] - expected) / expected;
        }
    }
    return chi;
}

/// Kruskal and Wallis's H of numbers grouped by place (ties ranked alike and corrected for):
/// chi-square with df = groups - 1 when the groups are alike. df is 0 when nothing varies.
double kruskalWallis(std::vector<std::pair<double, int>> values, int &df)
{
    df = 0;
    const double n = static_cast<double>(values.size());
    std::sort(values.begin(), values.end());
    std::array<double, 4> rankSum{};
    std::array<double, 4> count{};
    double ties = 0;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j < values.size() && values[j].first == values[i].first)
            ++j;
        const double rank = (static_cast<double>(i + j) + 1.0) / 2.0;
        const double t = static_cast<double>(j - i);
        ties += t * t * t - t;
        for (size_t k = i; k < j; ++k) {
            rankSum[size_t(values[k].second)] += rank;
            count[size_t(values[k].second)] += 1;
        }
        i = j;
    }
    const double correction = 1.0 - ties / (n * n * n - n);
    if (n < 20 || correction <= 0)
        return 0;
    double h = 0;
    for (size_t g = 0; g < 4; ++g) {
        if (count[g] > 0) {
            h += rankSum[g] * rankSum[g] / count[g];
            ++df;
        }
    }
    --df;
    h = (12.0 / (n * (n + 1.0)) * h - 3.0 * (n + 1.0)) / correction;
    return df > 0 ? h : 0;
}

// --- what a sample shows -----------------------------------------------------------------------

/// The parts of an answer that carry a question's content or a lifeline's own gift: the test of
/// fields leaves them out (the lifelines' are checked against their rules below).
bool leftOut(const QString &key)
{
    static const QStringList content{QStringLiteral("text"), QStringLiteral("answers")};
    static const QStringList lifelines{QStringLiteral("votes"), QStringLiteral("blank"), QStringLiteral("number"),
                                       QStringLiteral("reply")};
    return content.contains(key) || lifelines.contains(key);
}

void flatten(const QJsonValue &v, const QString &path, QHash<QString, QJsonValue> &out)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        out.insert(path + QStringLiteral("{}"), QStringList(o.keys()).join(QLatin1Char(',')));
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!leftOut(it.key()))
                flatten(it.value(), path + QLatin1Char('.') + it.key(), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        out.insert(path + QStringLiteral("[]"), static_cast<double>(a.size()));
        for (qsizetype i = 0; i < a.size(); ++i)
            flatten(a[i], path + QStringLiteral("[%1]").arg(i), out);
    } else {
        out.insert(path, v);
    }
}

/// The bytes of every text in an answer, in UTF-8 as sent (quotes and escapes aside).
qsizetype textBytes(const QJsonValue &v)
{
    qsizetype n = 0;
    if (v.isString())
        n = v.toString().toUtf8().size();
    if (v.isObject())
        for (const QJsonValue &child : v.toObject())
            n += textBytes(child);
    if (v.isArray())
        for (const QJsonValue &child : v.toArray())
            n += textBytes(child);
    return n;
}

} // namespace

QHash<QString, QJsonValue> features(const Sample &s)
{
    QHash<QString, QJsonValue> out;
    QHash<QString, int> turns;
    qsizetype bytes = 0;
    for (const Response &r : s.before) {
        const QString name = QStringLiteral("%1#%2").arg(r.kind).arg(turns[r.kind]++);
        out.insert(name + QStringLiteral(" status"), r.reply.status);
        for (const auto &[header, value] : r.reply.headers) {
            bool number = false;
            const double n = value.toDouble(&number);
            out.insert(name + QStringLiteral(" header ") + QString::fromLatin1(header),
                       number ? QJsonValue(n) : QJsonValue(QString::fromLatin1(value)));
        }
        out.insert(name + QStringLiteral(" bytes"), static_cast<double>(r.reply.size()));
        out.insert(name + QStringLiteral(" body bytes"), static_cast<double>(r.reply.body.size()));
        out.insert(name + QStringLiteral(" head bytes"), static_cast<double>(r.reply.head.size()));
        // The words of the questions make the sizes vary widely; without them a byte or two
        // more in one place of the right answer would stand out.
        out.insert(name + QStringLiteral(" body bytes beside the texts"),
                   static_cast<double>(r.reply.body.size() - textBytes(r.reply.json)));
        flatten(r.reply.json, name + QStringLiteral(" json"), out);
        bytes += r.reply.size();
    }
    out.insert(QStringLiteral("all bytes before the verdict"), static_cast<double>(bytes));
    out.insert(QStringLiteral("answers before the verdict"), static_cast<double>(s.before.size()));
    return out;
}

int ExpectNothingFollowsTheRightAnswer(const std::vector<Sample> &samples)
{
    std::map<QString, std::map<QString, std::array<int, 4>>> tables;
    std::map<QString, std::vector<std::pair<double, int>>> numbers;
    for (const Sample &s : samples) {
        const auto f = features(s);
        for (auto it = f.begin(); it != f.end(); ++it) {
            const QJsonValue v = it.value();
            const QString text = v.isNull() ? QStringLiteral("null") : v.toVariant().toString();
            ++tables[it.key()][text][size_t(s.right)];
            if (v.isDouble())
                numbers[it.key()].push_back({v.toDouble(), s.right});
        }
    }
    int tested = 0;
    for (const auto &[name, table] : tables) {
        int df = 0;
        const double chi = contingency(table, df);
        if (df == 0)
            continue;
        ++tested;
        EXPECT_LT(chi, chiSquareBound(df)) << name.toStdString() << " follows the right answer's place (chi-square "
                                           << chi << ", " << df << " degrees of freedom)";
    }
    for (auto &[name, values] : numbers) {
        int df = 0;
        const double h = kruskalWallis(values, df);
        if (df == 0)
            continue;
        ++tested;
        EXPECT_LT(h, chiSquareBound(df)) << name.toStdString() << " grows or shrinks with the right answer's place (H "
                                         << h << ")";
    }
    // The sizes and the game's figures at the least vary from question to question.
    EXPECT_GE(tested, 5);
    return tested;
}

} // namespace leakcheck
