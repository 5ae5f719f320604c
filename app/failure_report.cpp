#include "app/failure_report.h"

#include "platform/winapi.h"

void reportFailure(const char* text) { MessageBoxA(nullptr, text, "Fail occured", MB_OK); }
