/*
 * The reader protocol plug-in interface.
 *
 * A protocol plug-in is a shared library that exports these three functions
 * with C linkage under exactly these names. The console loads it from its
 * Protocols folder and calls, once each per transaction: wrap (PC to reader),
 * unwrap (reader to PC, only when bytes came back) and check (only when the
 * unwrapped reply holds 1 to the raw length bytes).
 *
 * All buffers belong to the caller. All lengths and results are 32-bit signed.
 */
#ifndef TLX_PROTOCOL_H
#define TLX_PROTOCOL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define TLX_EXPORT __declspec(dllexport)
#else
#define TLX_EXPORT __attribute__((visibility("default")))
#endif

/* Check results. Any other non-zero value is an error of no defined kind. */
enum { TLX_CHECK_OK = 0, TLX_CHECK_LENGTH_ERROR = 2, TLX_CHECK_BCC_ERROR = 3 };

/*
 * Builds the frame for a command text of `textLength` single-byte characters
 * (not terminated). On entry *frameLength is the capacity of `frame`; on return
 * it is the number of bytes written, never more than that capacity.
 * Non-zero: frame built; 0: failure (the console sends nothing).
 */
typedef int (*tlx_PCToReader_fn)(const char* text, int textLength, unsigned char* frame,
                                 int* frameLength);

/*
 * Unwraps the `rawLength` bytes that one port read returned into `reply`
 * (room for 4096 bytes). The console sets *replyLength to 0 before the call;
 * the plug-in always sets it to the number of reply bytes. Non-zero on success.
 */
typedef int (*tlx_ReaderToPC_fn)(const unsigned char* raw, int rawLength, unsigned char* reply,
                                 int* replyLength);

/* Judges an unwrapped reply: TLX_CHECK_OK for a valid one. */
typedef int (*tlx_CheckData_fn)(const unsigned char* reply, int replyLength);

#ifdef TLX_PLUGIN_BUILD
TLX_EXPORT int tlx_PCToReader(const char* text, int textLength, unsigned char* frame,
                              int* frameLength);
TLX_EXPORT int tlx_ReaderToPC(const unsigned char* raw, int rawLength, unsigned char* reply,
                              int* replyLength);
TLX_EXPORT int tlx_CheckData(const unsigned char* reply, int replyLength);
#endif

#ifdef __cplusplus
}
#endif

#endif /* TLX_PROTOCOL_H */
