// The locale the environment names, read from its variables alone, for a
// system whose locale files are missing or absent (Windows has none).
#pragma once

#include <cstdlib>
#include <cstring>

// Whether the first of LC_ALL, LC_CTYPE and LANG that is set and not empty
// names the character set UTF-8 ("ja_JP.UTF-8", "en_US.utf8", in any case):
// 1 when it does, 0 when it names another or none ("C", "ja_JP.SJIS"), -1
// when no variable is set.
inline int NamedLocaleIsUtf8() {
    static const char* const variables[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    const char* name = nullptr;
    for (const char* variable : variables) {
        const char* value = getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    if (name == nullptr) return -1;
    const char* codeset = strchr(name, '.');
    if (codeset == nullptr) return 0;
    char lower[6] = {};
    size_t length = strcspn(++codeset, "@");
    if (length > 5) return 0;
    for (size_t i = 0; i < length; ++i)
        lower[i] = codeset[i] >= 'A' && codeset[i] <= 'Z' ? codeset[i] + 32 : codeset[i];
    return strcmp(lower, "utf-8") == 0 || strcmp(lower, "utf8") == 0;
}
