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

/* Loader entry, passwords, version and patch. */

/* Brings the unit into its loader by the DTR/RTS entry patterns; true once it acknowledged. */
FENLO_API bool Handshake(void);
FENLO_API bool WritePassword(const unsigned char* password);
FENLO_API bool WriteBlankPassword(void);
/* The loader's version byte; 0 when the entry or the password failed, 0xEE when the unit
 * gives no version at all. Decides whether the later steps load the patch first. */
FENLO_API unsigned char GetICData(const unsigned char* password);
FENLO_API bool FenloMassErase(void);
FENLO_API bool WritePatchFile(void);
FENLO_API bool LoadPCC22(void);
FENLO_API bool LoadPC220(void);
/* Writes 32 bytes straight to the vector table at 0xFFE0. */
FENLO_API bool WritePasswordOld(const unsigned char* data);

/* Information segments and data blocks. Order: GetICData first; to read LoadSegmentA then
 * LoadSegmentB; to write EraseSegmentA, EraseSegmentB, WriteSegmentA, WriteSegmentB. */

FENLO_API bool EraseSegmentA(const unsigned char* password);
FENLO_API bool EraseSegmentB(const unsigned char* password);
FENLO_API bool WriteSegmentA(const unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password);
FENLO_API bool WriteSegmentB(const unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password);
/* On true row 1 holds Segment A; on false the image is untouched. */
FENLO_API bool LoadSegmentA(unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password);
/* On true row 0 holds Segment B; on false the image is untouched. */
FENLO_API bool LoadSegmentB(unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password);
/* Reads the 128 bytes at the low 16 bits of `address` into a 138-byte record (check bytes
 * 0x00 0x00); on false the record is all 0xFF. */
FENLO_API bool LoadData(int address, const unsigned char* password, unsigned char* record);

/* Whole-program transfer: arrays of FENLO_PROGRAM_RECORDS data records; a record whose
 * address bytes are 0xFF 0xFF is not in use. */

/* Reads from the reset vector in password bytes 30/31 up to 0xFFFF into records 0 on (the
 * caller fills the array with 0xFF first); the last 32 bytes of the last block read as
 * 0xFF; every record in use gets its check bytes. Read errors show a message box. */
FENLO_API bool LoadProgram(unsigned char (*records)[FENLO_RECORD_BYTES], const unsigned char* password);
/* Mass erase, then every record in use that holds data, each read back and compared. */
FENLO_API bool WriteProgram(unsigned char (*records)[FENLO_RECORD_BYTES]);
/* Writes the four records at `records` under the blank password; their check bytes must be
 * 0x00 0x00, as LoadData leaves them. The first two arguments are not used. */
FENLO_API bool WriteSegment(int address, const unsigned char* password, unsigned char (*records)[FENLO_RECORD_BYTES]);
/* Writes one record four times under `password`; the first argument is not used. */
FENLO_API bool WriteOneSegment(int address, const unsigned char* password, unsigned char* record);
/* Erases the flash segment at the low 16 bits of `address`. */
FENLO_API bool EraseSegment(int address, const unsigned char* password);
/* Progress of the last LoadProgram or WriteProgram: records done, and the total. */
FENLO_API int ProgressCounter(void);
FENLO_API int ProgressMax(void);

#endif
