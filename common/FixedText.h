#pragma once
// A text built in a fixed buffer, always left terminated, without allocation: for
// what a signal handler writes.

#include <cstddef>

namespace vantrel {

class FixedText {
public:
    FixedText(char* buffer, size_t size) : m_buffer(buffer), m_size(size) {
        if (m_size > 0) m_buffer[0] = '\0';
    }
    FixedText& operator<<(const char* text) {
        while (*text != '\0' && m_length + 1 < m_size) m_buffer[m_length++] = *text++;
        if (m_size > 0) m_buffer[m_length] = '\0';
        return *this;
    }
    FixedText& operator<<(int number) {
        char digits[12];
        int n = 0;
        unsigned value = number < 0 ? 0u : static_cast<unsigned>(number);
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0 && n < 11);
        char text[12];
        for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
        text[n] = '\0';
        return *this << static_cast<const char*>(text);
    }
    size_t Length() const { return m_length; }

private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

}  // namespace vantrel
