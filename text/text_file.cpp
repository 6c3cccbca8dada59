// text_file.cpp: the file-number table. No file can be opened yet.
#include "text/text_file.h"

void TextFile_CloseAll() {}
