/* Hooks through which the host program lends Fenlo its window system. */
#ifndef FENLO_HOST_H
#define FENLO_HOST_H

#include "fenlo.h"

/* Message box styles, as Fenlo passes them. */
#define FENLO_MB_OK 0x00u
#define FENLO_MB_ICONERROR 0x10u

/* Runs the host's pending window messages; called on every turn of every wait. */
typedef void (*FenloMessagePump)(void);
/* Shows a modal box without owner; text and caption are UTF-8. */
typedef void (*FenloMessageBox)(const char* text, const char* caption, unsigned int style);

/* Turns the port name given to OpenCom into the path of the device to open. The text
   returned stays valid until the hook is called again; null leaves the name to the default
   rule. */
typedef const char* (*FenloPortLookup)(const char* name);

/* A null hook restores the default: no pump; boxes go to standard error; a port name
   "COMn" (any letter case, n from 1) is the device /dev/ttyS(n-1) and any other name is
   a device path as given. */
FENLO_API void FenloSetMessagePump(FenloMessagePump pump);
FENLO_API void FenloSetMessageBox(FenloMessageBox box);
FENLO_API void FenloSetPortLookup(FenloPortLookup lookup);

#endif
