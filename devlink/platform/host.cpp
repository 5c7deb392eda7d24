#include "host.h"

#include "fenlo_host.h"

#include <cstdio>

namespace {

FenloMessagePump installedPump = nullptr;
FenloMessageBox installedBox = nullptr;
FenloPortLookup installedLookup = nullptr;

} // namespace

namespace fenlo::platform {

void pumpMessages()
{
    if (installedPump)
        installedPump();
}

void messageBox(const char* text, const char* caption, unsigned int style)
{
    if (installedBox) {
        installedBox(text, caption, style);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

const char* lookupPort(const char* name) { return installedLookup ? installedLookup(name) : nullptr; }

} // namespace fenlo::platform

FENLO_API void FenloSetMessagePump(FenloMessagePump pump) { installedPump = pump; }

FENLO_API void FenloSetMessageBox(FenloMessageBox box) { installedBox = box; }

FENLO_API void FenloSetPortLookup(FenloPortLookup lookup) { installedLookup = lookup; }
