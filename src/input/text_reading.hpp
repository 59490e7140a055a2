#pragma once

#include <cstdio>
#include <string>

namespace pedlik {

// A file being read, with the line the reading stands on, so that every
// problem found in it can name its line (both counted from 1).
struct TextStream {
    std::FILE* file = nullptr;
    std::string path;   // as given on the command line
    int line = 1;       // of the next character to be read
    int tokenLine = 1;  // where the last number read (or looked for) starts
    int previous = 0;   // the last character read
};

// Token reading shared by both file readers. Number reads skip leading
// whitespace, line breaks included, and return false when no number stands
// there (text, or the end of the file); a sign read before the failure is
// lost, the text after it stays in the stream.
bool readInt(TextStream& stream, int& value);
bool readReal(TextStream& stream, double& value);

// Describes what stands where a number was expected, for error messages:
// "the end of the file" or the quoted text.
std::string describeNextText(TextStream& stream);

// Discards everything up to the next newline, and then one more character.
void skipRestOfLine(TextStream& stream);
// Discards spaces, tabs and line breaks up to the next other character.
void skipWhitespace(TextStream& stream);
// Discards the rest of the line, then every blank and blank line after it.
void skipLineAndBlankSpace(TextStream& stream);
// True when another number follows on the current line; blanks before it
// are discarded, nothing else is.
bool numberFollowsOnLine(TextStream& stream);
// Ends one line of numbers: a comment after them is skipped with the line
// break, but numbers that go on along the same line are left to be read.
void endNumbersLine(TextStream& stream);

}  // namespace pedlik
