/* Packing codec and block writer of VOKAGPS block groups. Callable from C. */
#ifndef KALGPSPROTOCOL_H
#define KALGPSPROTOCOL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Packing type: 0 = off, anything else = on; its low byte is the block group header's type. */
int KalSetEncType(int type);
int KalGetEncType(void);

/* Packs len bytes of in into out (room for 2 x len bytes needed); *outLen gets the packed size.
   With the packing type 0 returns 0 at once and writes nothing. -1 for null/negative arguments. */
int KalEncrypt(const unsigned char* in, int len, unsigned char* out, int* outLen);

/* Unpacks len packed bytes into out (room for len bytes needed; never more is written).
   -1 for a length below 4, null arguments, an invalid header byte or a truncated group. */
int KalDecrypt(const unsigned char* in, int len, unsigned char* out, int* outLen);

/* Unpacks a 132-byte packed data block into out (room for 132 bytes). A length field above 124
   is refused (-1, nothing unpacked). The block's length field is set to 0 afterwards. */
int KalDecodec(unsigned char* block, unsigned char* out, int* outLen);

/* Writes the 20-byte block group header; returns 20, or 0 for a null buffer. */
int MakeHeader(unsigned char* buffer, int count);

/* Builds a raw 132-byte data block: index, then text (at most 128 bytes). 0 or -1. */
int MakeRawDataBlock(int index, const char* text, int textLen, unsigned char* block);

/* Builds the 132-byte block to store (packed when the packing type is on). 0 or -1. */
int MakeEncryptDataBlock(int index, const char* text, int textLen, unsigned char* block);

/* Low 8 bits of value XOR 0x20. */
int BITPROCESS(int value);

#ifdef __cplusplus
}
#endif

#endif
