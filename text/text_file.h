// text_file.h: text files opened by number and read line by line.
#pragma once

// Close every open text file (shutdown, main thread, after the game thread has stopped).
void TextFile_CloseAll();
