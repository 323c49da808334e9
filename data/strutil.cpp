#include "strutil.h"

QByteArray RightPart(const QByteArray &s, int n)
{
    if (n <= 0)
        return {};
    if (n >= s.size())
        return s;
    return s.right(n);
}

QByteArray TailFrom(const QByteArray &s, int p)
{
    if (p <= 1)
        return s;
    if (p > s.size())
        return {};
    return s.mid(p - 1);
}

void FillFrom(QByteArray &s, int p, char ch)
{
    if (p < 1 || p > s.size())
        return;
    for (qsizetype i = p - 1; i < s.size(); ++i)
        s[i] = ch;
}

QByteArray PadRight(const QByteArray &s, int n, char ch)
{
    if (s.size() >= n)
        return s;
    QByteArray out = s;
    const int from = static_cast<int>(out.size()) + 1;
    out.resize(n);
    FillFrom(out, from, ch);
    return out;
}

QByteArray TrimRightChar(const QByteArray &s, char ch)
{
    qsizetype end = s.size();
    while (end > 0 && s[end - 1] == ch)
        --end;
    return s.left(end);
}

QByteArray AddSeparator(const QByteArray &s, char separator)
{
    QByteArray out = TrimRightChar(s, ' ');
    if (!out.endsWith(separator))
        out.append(separator);
    return out;
}

QByteArray AddBackslash(const QByteArray &s)
{
    return AddSeparator(s, '\\');
}

int Larger(int a, int b)
{
    return a < b ? b : a;
}
