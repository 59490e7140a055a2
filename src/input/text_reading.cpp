#include "input/text_reading.hpp"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace pedlik {

namespace {

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool startsNumber(int c) { return isDigit(c) || c == '+' || c == '-' || c == '.'; }

// Every character passes through these two, which keep the line count.
int next(TextStream& stream) {
    const int c = std::getc(stream.file);
    if (c == '\n') ++stream.line;
    if (c != EOF) stream.previous = c;
    return c;
}

void putBack(TextStream& stream, int c) {
    if (c == EOF) return;
    if (c == '\n') --stream.line;
    std::ungetc(c, stream.file);
}

// Notes the line of what follows the whitespace just skipped. The end of a
// file whose last line ends stands on that last line, not on one after it.
void markToken(TextStream& stream) {
    const int c = std::getc(stream.file);
    const bool endAfterLine = c == EOF && stream.previous == '\n';
    if (c != EOF) std::ungetc(c, stream.file);
    stream.tokenLine = endAfterLine ? stream.line - 1 : stream.line;
}

// Appends the digits that follow to `text`; returns how many there were.
int takeDigits(TextStream& stream, std::string& text) {
    int count = 0;
    int c = next(stream);
    for (; isDigit(c); c = next(stream)) {
        text.push_back(static_cast<char>(c));
        ++count;
    }
    putBack(stream, c);
    return count;
}

void takeSign(TextStream& stream, std::string& text) {
    const int c = next(stream);
    if (c == '+' || c == '-') {
        text.push_back(static_cast<char>(c));
    } else {
        putBack(stream, c);
    }
}

// Takes one character when it is one of `wanted`.
bool takeOneOf(TextStream& stream, const char* wanted, std::string& text) {
    const int c = next(stream);
    if (c == EOF) return false;
    for (const char* w = wanted; *w != '\0'; ++w) {
        if (c == *w) {
            text.push_back(static_cast<char>(c));
            return true;
        }
    }
    putBack(stream, c);
    return false;
}

}  // namespace

bool readInt(TextStream& stream, int& value) {
    skipWhitespace(stream);
    markToken(stream);
    std::string text;
    takeSign(stream, text);
    if (takeDigits(stream, text) == 0) return false;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool readReal(TextStream& stream, double& value) {
    skipWhitespace(stream);
    markToken(stream);
    std::string text;
    takeSign(stream, text);
    int digits = takeDigits(stream, text);
    if (takeOneOf(stream, ".", text)) digits += takeDigits(stream, text);
    if (digits == 0) return false;
    if (takeOneOf(stream, "eE", text)) {
        takeSign(stream, text);
        if (takeDigits(stream, text) == 0) return false;
    }
    value = std::strtod(text.c_str(), nullptr);
    return true;
}

std::string describeNextText(TextStream& stream) {
    skipWhitespace(stream);
    markToken(stream);
    std::string text;
    for (int c = next(stream); c != EOF && !std::isspace(c); c = next(stream)) {
        if (text.size() == 20) {
            text += "...";
            break;
        }
        text.push_back(std::isprint(c) ? static_cast<char>(c) : '?');
    }
    if (text.empty()) return "the end of the file";
    return "\"" + text + "\"";
}

void skipRestOfLine(TextStream& stream) {
    int c = next(stream);
    while (c != EOF && c != '\n') c = next(stream);
}

void skipWhitespace(TextStream& stream) {
    int c = next(stream);
    while (c != EOF && std::isspace(c)) c = next(stream);
    putBack(stream, c);
}

void skipLineAndBlankSpace(TextStream& stream) {
    skipRestOfLine(stream);
    skipWhitespace(stream);
}

bool numberFollowsOnLine(TextStream& stream) {
    int c = next(stream);
    while (isBlank(c)) c = next(stream);
    if (c == EOF) return false;
    putBack(stream, c);
    return startsNumber(c);
}

void endNumbersLine(TextStream& stream) {
    if (!numberFollowsOnLine(stream)) skipRestOfLine(stream);
}

}  // namespace pedlik
