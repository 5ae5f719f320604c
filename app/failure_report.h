// How the user learns of a failure once the window exists: a message box with
// no owner and an OK button, shown at once; the program goes on afterwards.
#pragma once

void reportFailure(const char* text);
