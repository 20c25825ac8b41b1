// Processors without a vector formatter of the tool's: the portable one
// formats everything.

#include "field/vector_formatters.h"

FormatterLevel VectorFormatters(FormatFunction[formatterLevels]) { return portableFormatter; }
