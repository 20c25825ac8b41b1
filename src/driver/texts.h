// The tool's messages and usage screen. The file that defines them is
// compiled twice, with Shift_JIS and with UTF-8 as its execution character
// set, so each text is in the program in both encodings.
#pragma once

#include "common/output.h"

enum TextId {
    usageLineCount = 12,  // the usage screen: texts 0 to 11
    byteOrderText = usageLineCount,
    layoutLengthText,  // holds %d for the longest length
    layoutCharacterText,
    openErrorText,
    readErrorText,
    textCount
};

extern const char* const shiftJisTexts[textCount];
extern const char* const utf8Texts[textCount];

inline Text TextOf(int id) { return Text{shiftJisTexts[id], utf8Texts[id]}; }
