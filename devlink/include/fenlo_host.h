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

/* A null hook restores the default: no pump; boxes go to standard error. */
FENLO_API void FenloSetMessagePump(FenloMessagePump pump);
FENLO_API void FenloSetMessageBox(FenloMessageBox box);

#endif
