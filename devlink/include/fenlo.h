/* Fenlo: the link to a unit's bootstrap loader over one serial port.
 *
 * Every function runs on the caller's thread and blocks it until done; waits keep the
 * host's messages flowing through the message pump of fenlo_host.h. The library serves
 * one caller at a time: its state (the port, the receive buffer, the patch flag and the
 * progress counters) is process-wide.
 *
 * A password is 32 raw bytes, the image of the unit's vector table 0xFFE0..0xFFFF.
 * A segment image is two rows of 128 bytes: row 0 Segment B (0x1000), row 1 Segment A
 * (0x1080). A data record is a 138-byte write frame for one 128-byte block.
 */
#ifndef FENLO_H
#define FENLO_H

#ifdef __cplusplus
#define FENLO_API extern "C" __attribute__((visibility("default")))
#else
#include <stdbool.h>
#define FENLO_API extern __attribute__((visibility("default")))
#endif

#define FENLO_SEGMENT_BYTES 128
#define FENLO_RECORD_BYTES 138
#define FENLO_PASSWORD_BYTES 32
#define FENLO_PROGRAM_RECORDS 512

/* Serial port and timed waits. */

/* Opens the port once per process. Returns `name` on success, "Error" when the port
 * cannot be opened or set up (after a message box), "" when a port is already open.
 * The text stays valid until the next OpenCom call. */
FENLO_API const char* OpenCom(const char* name);
FENLO_API void ExitCom(void);
FENLO_API void Delay(unsigned long ms);
FENLO_API bool TxFenlo(const unsigned char* bytes, unsigned char count);
FENLO_API bool FenloRespond(void);
FENLO_API bool WaitRx(unsigned int timeout_ms, unsigned int count);

/* Check bytes and the (8,4) Hamming nibble code. */

FENLO_API void CheckSum(unsigned char* frame, int length);
FENLO_API unsigned char DeHamming(unsigned char nibble);
FENLO_API unsigned char ReHamming(unsigned char codeword);

#endif
