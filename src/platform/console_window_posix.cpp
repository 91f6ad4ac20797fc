#include "platform/console_window.h"

// A terminal outlives the programs run in it, and streams are bytes.
void prepare_console() {}

bool console_window_is_own() { return false; }
