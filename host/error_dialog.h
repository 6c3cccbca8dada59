// error_dialog.h: the Yes/No box that answers a pending runtime error.
#pragma once

// Game thread, from Event_Check through the runtime's dialog hook (set by Host_Run): the box
// for pendingError. Yes clears the error and returns, No ends the program, a critical code
// ends the process after its box. Full screen is left for the box and taken again after Yes.
void ErrorDialog_Run();
