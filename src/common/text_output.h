// Writing the tool's texts and the file names it reports, each in the form
// standard output shows: bytes through the output buffer, or characters
// handed straight to a console that shows no bytes but its own code page's.
#pragma once

// One of the tool's texts, in both encodings it may be written in.
struct Text {
    const char* shiftJis;
    const char* utf8;
};

// Writes a text in the encoding the reader of standard output can read:
// Shift_JIS, unless standard output is a terminal or console that shows
// another.
void WriteText(Text text);

// Writes a file name the way it was given on the command line.
void WriteName(const char* name);
