// How the Windows layer writes a name, held in UTF-8, in the bytes of the
// system's ANSI code page.
#pragma once

// WideCharToMultiByte's flag that keeps a character the code page lacks
// from becoming a look-alike ('?' instead).
constexpr unsigned long noBestFitChars = 0x400;  // WC_NO_BEST_FIT_CHARS

// The flags to convert with for `codePage`, or -1 where the code page is
// UTF-8 itself (Windows' "Use Unicode UTF-8" setting, or a manifest's
// activeCodePage), whose bytes the name already is. GB18030, the ISO-2022
// and ISCII code pages, UTF-7 and Symbol refuse every flag
// (ERROR_INVALID_FLAGS), so they convert with none.
inline long NameConversionFlags(unsigned codePage) {
    if (codePage == 65001) return -1;
    if (codePage == 54936 || (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011) ||
        codePage == 65000 || codePage == 42)
        return 0;
    return static_cast<long>(noBestFitChars);
}
