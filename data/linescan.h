#pragma once
// Splits text into lines. A line ends at CR, at LF or at CR LF; LF CR is two line ends. The one
// rule serves the game's banks and results (bytes) and a teacher's texts once decoded (UTF-16).
// Two cursors keep the scan linear and, on bytes, as fast as memchr on banks of many megabytes.

#include <QtGlobal>

#include <cstring>
#include <string>

template <typename Char>
struct BasicLineSpan {
    const Char *begin = nullptr;
    qsizetype length = 0;
    int terminator = 0; ///< characters of the line end after the line: 0, 1 or 2
};

template <typename Char>
class BasicLineScanner
{
public:
    BasicLineScanner(const Char *begin, const Char *end)
        : m_pos(begin), m_end(end)
    {
    }

    /// The next line, or false at the end of the text. Text that ends with a line end
    /// has no empty line after it.
    bool next(BasicLineSpan<Char> &line)
    {
        if (m_pos >= m_end)
            return false;
        if (m_nextCr < m_pos)
            m_nextCr = find('\r');
        if (m_nextLf < m_pos)
            m_nextLf = find('\n');
        const Char *stop = m_nextCr < m_nextLf ? m_nextCr : m_nextLf;
        line.begin = m_pos;
        line.length = stop - m_pos;
        if (stop == m_end) {
            line.terminator = 0;
        } else if (*stop == Char('\r') && stop + 1 < m_end && stop[1] == Char('\n')) {
            line.terminator = 2;
        } else {
            line.terminator = 1;
        }
        m_pos = stop + line.terminator;
        if (line.terminator == 0)
            m_pos = m_end;
        return true;
    }

    const Char *position() const { return m_pos; }

private:
    const Char *find(char c) const
    {
        const auto n = static_cast<size_t>(m_end - m_pos);
        const Char *hit = nullptr;
        if constexpr (sizeof(Char) == 1)
            hit = static_cast<const Char *>(std::memchr(m_pos, c, n));
        else
            hit = std::char_traits<Char>::find(m_pos, n, Char(c));
        return hit ? hit : m_end;
    }

    const Char *m_pos;
    const Char *m_end;
    const Char *m_nextCr = nullptr;
    const Char *m_nextLf = nullptr;
};

using LineSpan = BasicLineSpan<char>;
using LineScanner = BasicLineScanner<char>;
