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

// Appends the digits that follow to `text`; returns how many there were.
int takeDigits(std::FILE* stream, std::string& text) {
    int count = 0;
    int c = std::getc(stream);
    for (; isDigit(c); c = std::getc(stream)) {
        text.push_back(static_cast<char>(c));
        ++count;
    }
    if (c != EOF) std::ungetc(c, stream);
    return count;
}

void takeSign(std::FILE* stream, std::string& text) {
    const int c = std::getc(stream);
    if (c == '+' || c == '-') {
        text.push_back(static_cast<char>(c));
    } else if (c != EOF) {
        std::ungetc(c, stream);
    }
}

// Takes one character when it is one of `wanted`.
bool takeOneOf(std::FILE* stream, const char* wanted, std::string& text) {
    const int c = std::getc(stream);
    if (c == EOF) return false;
    for (const char* w = wanted; *w != '\0'; ++w) {
        if (c == *w) {
            text.push_back(static_cast<char>(c));
            return true;
        }
    }
    std::ungetc(c, stream);
    return false;
}

}  // namespace

bool readInt(std::FILE* stream, int& value) {
    skipWhitespace(stream);
    std::string text;
    takeSign(stream, text);
    if (takeDigits(stream, text) == 0) return false;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool readReal(std::FILE* stream, double& value) {
    skipWhitespace(stream);
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

std::string describeNextText(std::FILE* stream) {
    skipWhitespace(stream);
    std::string text;
    for (int c = std::getc(stream); c != EOF && !std::isspace(c); c = std::getc(stream)) {
        if (text.size() == 20) {
            text += "...";
            break;
        }
        text.push_back(std::isprint(c) ? static_cast<char>(c) : '?');
    }
    if (text.empty()) return "the end of the file";
    return "\"" + text + "\"";
}

void skipRestOfLine(std::FILE* stream) {
    int c = std::getc(stream);
    while (c != EOF && c != '\n') c = std::getc(stream);
}

void skipWhitespace(std::FILE* stream) {
    int c = std::getc(stream);
    while (c != EOF && std::isspace(c)) c = std::getc(stream);
    if (c != EOF) std::ungetc(c, stream);
}

void skipLineAndBlankSpace(std::FILE* stream) {
    skipRestOfLine(stream);
    skipWhitespace(stream);
}

bool numberFollowsOnLine(std::FILE* stream) {
    int c = std::getc(stream);
    while (isBlank(c)) c = std::getc(stream);
    if (c == EOF) return false;
    std::ungetc(c, stream);
    return startsNumber(c);
}

void endNumbersLine(std::FILE* stream) {
    if (!numberFollowsOnLine(stream)) skipRestOfLine(stream);
}

}  // namespace pedlik
