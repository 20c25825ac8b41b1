#include "common/state.h"

char layoutText[layoutCapacity];
char inputPath[pathCapacity];
int32_t bigEndian;
FILE* inputFile;
