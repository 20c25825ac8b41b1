// What the two Windows platform files share.
#pragma once

// The command-line argument that the narrow argument vector holds as `name`,
// in its wide-character form, as typed: the narrow one holds the ANSI code
// page's copy, with '?' or a look-alike for every character outside it.
// Null when no argument renders as `name`.
const wchar_t* WideArgument(const char* name);
