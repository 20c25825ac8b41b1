// Processors without a vector formatter of the tool's: the portable one
// formats everything.

#include "field/vector_formatters.h"

int VectorFormatters(FormatFunction[3]) { return 0; }
