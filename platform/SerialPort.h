// A serial port as the box link needs it: raw bytes at 9600 baud, 8 data
// bits, no parity, one stop bit, no flow control, RTS on; reads with an
// interval and a total time-out; line errors reported as bits.
//
// SerialPort is an interface so that the link can be tested on a fake
// port; OpenSerialPort gives the POSIX (termios) one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Line-error bits, as TakeLineErrors reports them.
inline constexpr uint32_t kLineReceiveOverrun = 0x0001;  // the driver's receive buffer overflowed
inline constexpr uint32_t kLineOverrun = 0x0002;         // the UART lost a character
inline constexpr uint32_t kLineFraming = 0x0008;         // a byte without its stop bit

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Reads up to n bytes. Returns when n bytes have arrived, when
    // intervalMs pass after a byte without another one, when totalMs pass
    // in all, or when CancelReads was called. The number read, or -1 when
    // the port failed (unplugged, cancelled before anything arrived).
    // The interval starts with the first byte; a negative time-out is no
    // limit, and a total of 0 takes only what has already arrived. When
    // the port fails after some bytes arrived, those are returned and the
    // next read fails.
    virtual int Read(uint8_t* buffer, int n, int intervalMs, int totalMs) = 0;

    // Writes all n bytes within timeoutMs and waits until they have left;
    // false when they could not be written in time.
    virtual bool Write(const uint8_t* bytes, int n, int timeoutMs) = 0;

    // Sends one byte ahead of anything queued for sending. (A tty on Linux
    // has no such call: the byte goes out right after what the driver
    // already holds, which is never dropped.)
    virtual bool SendImmediately(uint8_t byte) = 0;

    // Drops whatever waits in both directions.
    virtual bool Purge() = 0;
    // Drops only what waits to be read: bytes on their way out (the close's
    // last command) still go.
    virtual bool PurgeInput() = 0;

    // The line errors since the last call (kLine... bits), and clears them.
    virtual uint32_t TakeLineErrors() = 0;

    // Wakes a Read that is waiting and makes later reads fail at once:
    // how a link thread is stopped without being killed. Any thread.
    virtual void CancelReads() = 0;
};

// Why OpenSerialPort failed.
enum class SerialOpenError {
    kNone,
    kCannotOpen,    // no such device, or another program has it
    kNoPermission,  // the device's group or mode keeps this user out
    kCannotConfigure,
    kCannotPurge,
};

// Opens the named port exclusively and configures it. Names: any device
// path, or "COM1".."COM256" for /dev/ttyS0.. . Null on failure, with the
// reason in *error.
std::unique_ptr<SerialPort> OpenSerialPort(const std::string& name, SerialOpenError* error);

// The name of the group that owns the device (usually "dialout" for a
// serial port); empty when it cannot be told.
std::string DeviceGroup(const std::string& path);

// The device path of a port name ("COM3" -> "/dev/ttyS2"; a path stays).
std::string SerialDevicePath(const std::string& name);

// The serial ports of this machine worth offering: /dev/serial/by-id
// entries, then the tty devices under /sys/class/tty that have a real
// device behind them.
std::vector<std::string> ListSerialDevices();

// ListSerialDevices over a copy of the file system rooted at the
// directory (its /dev and /sys); "" is the real one. The paths returned
// are those of the devices (/dev/...), without the root.
std::vector<std::string> ListSerialDevicesUnder(const std::string& root);

// Input read with parity marking on (PARMRK) turned back into data: a
// byte the UART received with a framing or parity error (or a break)
// comes as 0xFF 0x00 <byte>, a data byte 0xFF as 0xFF 0xFF. The damaged
// byte is passed on and a framing error noted. A mark split across two
// reads is completed by the next one.
class LineMarkDecoder {
  public:
    // Decodes n raw bytes into out (room for n is always enough) and
    // returns the number of data bytes.
    int Decode(const uint8_t* raw, int n, uint8_t* out);
    // The kLine... bits of the marks seen since the last call.
    uint32_t TakeErrors();
    // Forgets a mark begun but not finished (after a purge).
    void Reset() { state_ = State::kData; }

  private:
    enum class State { kData, kAfterMark, kAfterMarkZero };
    State state_ = State::kData;
    uint32_t errors_ = 0;
};

}  // namespace platform
