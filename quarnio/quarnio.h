#ifndef QUARNIO_H
#define QUARNIO_H
/**
 * @file quarnio.h
 * @brief QUARNIO, the device library for QUARN I/O cards.
 *
 * The library opens a QUARN card (device 0: the ISA card; devices 1-7: USB cards), shares one
 * open device among up to 32 caller handles ("slots"), queues QProc calls and Pigeon-hole values,
 * polls every open card every 30 ms and keeps the card's input state and events.
 *
 * Polling runs from a thread timer of the thread that loaded the library; it is dispatched only
 * while that thread runs its message loop, never inside a call into the library. Queued output
 * reaches the card on a later poll, when the card asks for output. Use the library from the
 * loading thread only.
 *
 * Result codes: 0 success (a slot 0-31 for _OpenDevice); -1 no valid answer from the card, a
 * buffer argument missing, or (_GetEvent) no event waiting; -2 the slot is outside 0-31 or not
 * bound to a device; -3 no free slot; -4 the device is not open (the slot is released), or
 * (_OpenDevice) the device object could not be opened; -6 bad device number; -7 the device is
 * busy with another operation (retry later).
 *
 * All arguments are 32-bit integers or pointers; byte arguments use their low 8 bits, 16-bit
 * values their low 16 bits. The library never keeps a caller's pointer.
 */

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @brief Opens a card and binds a new slot to it.
 * @param device 0 for the ISA card, 1-7 for USB card 1-7.
 * @return the slot 0-31; -6 device outside 0-7; -3 all 32 slots in use; -4 the device object
 *         could not be opened; -1 the card did not answer the start-up sequence as expected.
 * The first open of a device sends the start-up sequence and waits for the card's answer (the
 * ISA card up to about one second). Later opens of the same device share its handle and send
 * nothing.
 */
int _OpenDevice(int device);

/**
 * @brief Releases a slot; the device is closed when its last slot goes.
 * @return 0; -2 bad or free slot; -4 the device was found closed (the slot is released).
 * A packet deferred by _BlindSend is written first, at every close of a slot of that device.
 */
int _CloseDevice(int slot);

/**
 * @brief Calls _CloseDevice for every slot 0-31.
 * @param ignored not used.
 * @return 0.
 */
int _CloseAllHandles(int ignored);

/**
 * @brief Copies a device's record.
 * @param device device number 0-7 (not a slot).
 * @param record 84 bytes: five little-endian 32-bit words (handle, open count, busy, reserved,
 *        close pending) and the 64-byte deferred close packet.
 * @return 0; -6 device outside 0-7; -1 null record.
 */
int _GetDeviceInfo(int device, void* record);

/**
 * @brief Sends the mode packet [09, mode, 00, FF].
 * @return 0; -2; -4; -7.
 */
int _InitQUARN(int slot, int mode);

/**
 * @brief Writes a caller's 64-byte packet, or defers it to the next close.
 * @param packet 64 bytes. A packet beginning with 0x09 is not written now: its first 6 bytes are
 *        kept and written (as a 64-byte packet) when a slot of the device is closed. That path
 *        neither tests nor takes the busy flag.
 * @param ignored not used.
 * @return 0; -1 null packet; -2; -4; -7.
 */
int _BlindSend(int slot, const void* packet, int ignored);

/**
 * @brief Queues a QProc call for the next output batch.
 * @param qp QProc number 0-32767. Numbers outside that range are not queued (they have no item
 *        encoding of their own).
 * @return 0 (also when the queue is full and the item is dropped); -2; -4; -7.
 */
int _SendQP(int slot, int qp);

/**
 * @brief Queues a Pigeon-hole value (4 bytes) for the next output batch.
 * @param ph Pigeon-hole number 0-255.
 * @return 0 (also when the queue is full and the item is dropped); -2; -4; -7.
 */
int _SendPH(int slot, int ph, int b0, int b1, int b2, int b3);

/**
 * @brief Queues a Pigeon-hole value given as two 16-bit values (each sent low byte first).
 * @return 0 (also when the queue is full and the item is dropped); -2; -4; -7.
 */
int _SendPHint(int slot, int ph, int a, int b);

/**
 * @brief Runs a command exchange with the card and copies its reply.
 * @param reply receives at most 64 bytes; at most replyLength bytes except where noted.
 * @param replyLength bytes wanted (clamped to 64).
 * @return 0; -1 null reply with replyLength above 0, or a wrong answer code in an ISA exchange;
 *         -2; -4; -7.
 * USB cards: writes [cmd, sub, p1, p2], reads one answer and copies its first replyLength bytes.
 * ISA card: only cmd 0x05 is served (other commands send nothing and return 0). Sub-command 0x04
 * spreads answer bytes 5, 6, ... to reply bytes 0, 2, ... ((replyLength - 5) / 2 bytes);
 * 0x08 fills 4 reply bytes and 0x10 fills 3 (both need a reply buffer); other sub-commands copy
 * the answer. ISA answers are waited for up to about one second; a missing answer skips that step.
 */
int _SendCommand(int slot, int cmd, int sub, int p1, int p2, void* reply, int replyLength);

/**
 * @brief _SendCommand(slot, 0x12, sub, p1, p2, reply, 64).
 * @param reply 64 bytes.
 * @return 0; -1 null reply; -2; -4; -7. On the ISA card nothing is sent.
 */
int _GetCurrentButtonStates(int slot, int sub, int p1, int p2, void* reply);

/**
 * @brief Reads card memory.
 * @param buffer receives count bytes.
 * @param address 16-bit card address.
 * @param count bytes to read; 0 or less reads nothing.
 * @return 0; -1 null buffer with count above 0; -2; -4; -7.
 */
int _ReadQuarn(int slot, void* buffer, int address, int count);

/**
 * @brief Writes card memory, in chunks of up to 60 bytes.
 * @param buffer count bytes.
 * @param address 16-bit card address.
 * @param count bytes to write; 0 or less writes nothing.
 * @return 0; -1 null buffer with count above 0; -2; -4; -7.
 */
int _WriteQuarn(int slot, const void* buffer, int address, int count);

/**
 * @brief Reads the card's pointer block (card address 0x4100).
 * @param buffer receives count bytes.
 * @param count bytes wanted, at most 120 (larger counts are clamped).
 * @return 0; -1 null buffer with count above 0; -2; -4; -7.
 */
int _GetPointers(int slot, void* buffer, int count);

/**
 * @brief Writes the card's pointer block.
 * @param buffer 120 bytes (USB card) or 60 bytes (ISA card).
 * @return 0; -1 null buffer; -2; -4; -7.
 */
int _WritePointers(int slot, const void* buffer);

/**
 * @brief Polls the slot's device once, as the timer does (events, then queued output).
 * @return 0 (also when the poll was skipped because the device was busy); -2; -4.
 */
int _GetData(int slot);

/**
 * @brief Copies the device's input state as the last poll stored it.
 * @param buffer 64 bytes: the ISA card fills bytes 0-15, USB cards bytes 0-43, the rest is 0.
 * @return 0; -1 null buffer; -2; -4; -7.
 */
int _GetAnalogs(int slot, void* buffer);

/**
 * @brief Takes the oldest waiting event of the whole library (events carry no device).
 * @param record at least 10 bytes: byte 0 is not written, byte 1 gets the item code, bytes 2 on
 *        its data bytes (item length - 1 of them).
 * @return 0 with one event; -1 no event waiting, the device is closed, or null record (the record
 *         is left untouched); -2 bad or free slot; -7.
 */
int _GetEvent(int slot, void* record);

/**
 * @brief Lets the timer poll again.
 * @return 0.
 */
int _StartPolling(void);

/**
 * @brief Stops timer polling, and with it the output flush, until _StartPolling or _GetData.
 * @return 0.
 */
int _StopPolling(void);

/**
 * @brief Passes driver control request 0x22200C (128-byte buffers) for the slot's device.
 * @return non-zero when the driver accepted it, 0 when not; -2; -4.
 */
int _StartUSBIntPoll(int slot);

/**
 * @brief Passes driver control request 0x222010 (128-byte buffers) for the slot's device.
 * @return non-zero when the driver accepted it, 0 when not; -2; -4.
 */
int _StopUSBIntPoll(int slot);

#ifdef __cplusplus
}
#endif

#endif
