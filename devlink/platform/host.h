// The host's hooks as the library calls them.
#pragma once

namespace fenlo::platform {

void pumpMessages();
void messageBox(const char* text, const char* caption, unsigned int style);

} // namespace fenlo::platform
