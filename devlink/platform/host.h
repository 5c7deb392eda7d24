// The host's hooks as the library calls them.
#pragma once

namespace fenlo::platform {

void pumpMessages();
void messageBox(const char* text, const char* caption, unsigned int style);
// The host's device path for a port name, or null when the host leaves it to the library.
const char* lookupPort(const char* name);

} // namespace fenlo::platform
