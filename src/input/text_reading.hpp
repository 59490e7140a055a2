#pragma once

#include <cstdio>
#include <string>

namespace pedlik {

// Token reading shared by both file readers. Number reads skip leading
// whitespace, line breaks included, and return false when no number stands
// there (text, or the end of the file); a sign read before the failure is
// lost, the text after it stays in the stream.
bool readInt(std::FILE* stream, int& value);
bool readReal(std::FILE* stream, double& value);

// Describes what stands where a number was expected, for error messages:
// "the end of the file" or the quoted text.
std::string describeNextText(std::FILE* stream);

// Discards everything up to the next newline, and then one more character.
void skipRestOfLine(std::FILE* stream);
// Discards spaces, tabs and line breaks up to the next other character.
void skipWhitespace(std::FILE* stream);
// Discards the rest of the line, then every blank and blank line after it.
void skipLineAndBlankSpace(std::FILE* stream);
// True when another number follows on the current line; blanks before it
// are discarded, nothing else is.
bool numberFollowsOnLine(std::FILE* stream);
// Ends one line of numbers: a comment after them is skipped with the line
// break, but numbers that go on along the same line are left to be read.
void endNumbersLine(std::FILE* stream);

}  // namespace pedlik
