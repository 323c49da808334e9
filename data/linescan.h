#pragma once
// Splits stored text into lines. A line ends at CR, at LF or at CR LF; LF CR is two line ends.
// Two memchr cursors keep the scan linear and fast on banks of many megabytes.

#include <QtGlobal>

#include <cstring>

struct LineSpan {
    const char *begin = nullptr;
    qsizetype length = 0;
    int terminator = 0; ///< bytes of the line end after the line: 0, 1 or 2
};

class LineScanner
{
public:
    LineScanner(const char *begin, const char *end)
        : m_pos(begin), m_end(end)
    {
    }

    /// The next line, or false at the end of the text. Text that ends with a line end
    /// has no empty line after it.
    bool next(LineSpan &line)
    {
        if (m_pos >= m_end)
            return false;
        if (m_nextCr < m_pos)
            m_nextCr = find('\r');
        if (m_nextLf < m_pos)
            m_nextLf = find('\n');
        const char *stop = m_nextCr < m_nextLf ? m_nextCr : m_nextLf;
        line.begin = m_pos;
        line.length = stop - m_pos;
        if (stop == m_end) {
            line.terminator = 0;
        } else if (*stop == '\r' && stop + 1 < m_end && stop[1] == '\n') {
            line.terminator = 2;
        } else {
            line.terminator = 1;
        }
        m_pos = stop + line.terminator;
        if (line.terminator == 0)
            m_pos = m_end;
        return true;
    }

    const char *position() const { return m_pos; }

private:
    const char *find(char c) const
    {
        const void *hit = std::memchr(m_pos, c, static_cast<size_t>(m_end - m_pos));
        return hit ? static_cast<const char *>(hit) : m_end;
    }

    const char *m_pos;
    const char *m_end;
    const char *m_nextCr = nullptr;
    const char *m_nextLf = nullptr;
};
