// The tool's messages and usage screen, in both encodings they may be
// written in: texts.cpp holds them in UTF-8, and the build converts that
// table to Shift_JIS.
#pragma once

#include "common/text_output.h"

enum TextId {
    usageLineCount = 12,  // the usage screen: texts 0 to 11
    byteOrderText = usageLineCount,
    layoutLengthText,  // holds %d for the longest length
    layoutCharacterText,
    openErrorText,
    readErrorText,
    textCount
};

extern const char* const shiftJisTexts[];
extern const char* const utf8Texts[];

inline Text TextOf(int id) { return Text{shiftJisTexts[id], utf8Texts[id]}; }
