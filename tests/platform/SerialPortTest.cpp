// The termios serial port, over a pseudo-terminal pair: the test holds the
// master side and plays the box; the port opens the other side by its
// path. Time bounds are generous: they tell "returned at once" from
// "waited for a time-out many times longer".
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include "platform/SerialPort.h"

namespace {

using namespace std::chrono_literals;
using platform::SerialOpenError;
using platform::SerialPort;
using Clock = std::chrono::steady_clock;

class SerialPortOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        path_ = name;
        port_ = platform::OpenSerialPort(path_, &error_);
        ASSERT_NE(port_, nullptr);
        ASSERT_EQ(error_, SerialOpenError::kNone);
    }
    void TearDown() override {
        port_.reset();
        CloseMaster();
        if (slave_ >= 0) close(slave_);
    }

    void Send(std::vector<uint8_t> bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Waits (without limit) until the port's side has input to read.
    void AwaitInput() {
        pollfd fd = {slave_, POLLIN, 0};
        ASSERT_EQ(poll(&fd, 1, -1), 1);
    }
    std::vector<uint8_t> Received() {
        std::vector<uint8_t> bytes(4096);
        pollfd fd = {master_, POLLIN, 0};
        if (poll(&fd, 1, 5000) != 1) return {};
        const ssize_t n = read(master_, bytes.data(), bytes.size());
        bytes.resize(n > 0 ? n : 0);
        return bytes;
    }
    // A read on another thread that waits without limit for 4 bytes.
    std::future<int> ReadBlocking() {
        return std::async(std::launch::async, [this] {
            uint8_t buffer[4] = {};
            return port_->Read(buffer, 4, -1, -1);
        });
    }
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

    int master_ = -1;
    int slave_ = -1;  // kept open so that the tty outlives the port
    std::string path_;
    SerialOpenError error_ = SerialOpenError::kNone;
    std::unique_ptr<SerialPort> port_;
};

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(SerialPortOverPty, OpenSetsRaw9600EightDataBitsNoFlowControlWithMarkedErrors) {
    termios t{};
    ASSERT_EQ(tcgetattr(slave_, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IGNPAR | ISTRIP | ICRNL), 0u);
    EXPECT_EQ(t.c_iflag & (INPCK | PARMRK), static_cast<tcflag_t>(INPCK | PARMRK));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(SerialPortOverPty, BytesThereAreReadAtOnceNoMoreThanAskedAndTheRestAfterTheInterval) {
    // The driver doubles a data byte 0xFF under parity marking: it arrives
    // once, and is no line error.
    Send({0x00, 0x23, 0x0A, 0x0D, 0xFF, 0x7F, 0xFF, 0xFF});
    AwaitInput();
    const auto start = Clock::now();
    uint8_t buffer[8] = {};
    ASSERT_EQ(port_->Read(buffer, 4, 20000, 60000), 4);
    EXPECT_LT(MillisecondsSince(start), 10000);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4),
              (std::vector<uint8_t>{0x00, 0x23, 0x0A, 0x0D}));
    // Short of the count, the read ends when the interval passes, long
    // before the total.
    const auto rest = Clock::now();
    ASSERT_EQ(port_->Read(buffer, 8, 50, 60000), 4);
    EXPECT_LT(MillisecondsSince(rest), 30000);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4),
              (std::vector<uint8_t>{0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(port_->TakeLineErrors(), 0u);
}

TEST_F(SerialPortOverPty, IntervalStartsOnlyWithTheFirstByte) {
    // Nothing for a while, then the bytes: a 1 ms interval must not end
    // the wait before anything came.
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buffer[2] = {};
        return port_->Read(buffer, 2, 1, 60000);
    });
    std::this_thread::sleep_for(100ms);
    Send({7, 8});
    EXPECT_GE(reader.get(), 1);
}

TEST_F(SerialPortOverPty, ReadEndsAfterTheTotalATotalOfZeroTakesWhatHasArrivedPurgeDropsIt) {
    uint8_t buffer[8] = {};
    EXPECT_EQ(port_->Read(buffer, 4, 50, 100), 0);
    EXPECT_EQ(port_->Read(buffer, 8, 0, 0), 0);
    Send({5, 6});
    AwaitInput();
    EXPECT_EQ(port_->Read(buffer, 8, 0, 0), 2);
    EXPECT_EQ(buffer[1], 6);
    Send({1, 2, 3});
    AwaitInput();
    ASSERT_TRUE(port_->Purge());
    EXPECT_EQ(port_->Read(buffer, 3, 0, 0), 0);
}

TEST_F(SerialPortOverPty, WrittenBytesReachTheOtherSideEvenWhenThePortClosesRightAfter) {
    const uint8_t bytes[] = {0x00, 0x23, 0xFF, 0x70};
    ASSERT_TRUE(port_->Write(bytes, 4, 400));
    EXPECT_EQ(Received(), (std::vector<uint8_t>{0x00, 0x23, 0xFF, 0x70}));
    ASSERT_TRUE(port_->SendImmediately(0x70));
    EXPECT_EQ(Received(), (std::vector<uint8_t>{0x70}));
    // The last bytes before the close (the link's end) are not dropped, nor
    // held back until the next writer comes: a close racing with the pty's
    // delivery did either when it flushed what was already written.
    port_.reset();
    for (int round = 0; round < 500 && !HasFailure(); ++round) {
        port_ = platform::OpenSerialPort(path_, &error_);
        ASSERT_NE(port_, nullptr);
        ASSERT_TRUE(port_->Write(bytes, 4, 400));
        ASSERT_TRUE(port_->SendImmediately(0x70));
        port_.reset();
        std::vector<uint8_t> got;
        for (std::vector<uint8_t> more; got.size() < 5 && !(more = Received()).empty();)
            got.insert(got.end(), more.begin(), more.end());
        EXPECT_EQ(got, (std::vector<uint8_t>{0x00, 0x23, 0xFF, 0x70, 0x70})) << round;
    }
}

TEST_F(SerialPortOverPty, WriteThatCannotLeaveFailsWhenItsTimeOutPasses) {
    // Nobody reads the other side, so its buffer fills up.
    std::vector<uint8_t> lots(4 << 20, 0x55);
    EXPECT_FALSE(port_->Write(lots.data(), static_cast<int>(lots.size()), 200));
}

TEST_F(SerialPortOverPty, CancelReadsReleasesABlockedReadAndLaterReadsFail) {
    auto reader = ReadBlocking();
    // Give the read a chance to block; the result is the same if it has not.
    std::this_thread::sleep_for(50ms);
    port_->CancelReads();
    EXPECT_EQ(reader.get(), -1);
    Send({1});
    AwaitInput();
    uint8_t buffer[1] = {};
    EXPECT_EQ(port_->Read(buffer, 1, -1, -1), -1);
}

TEST_F(SerialPortOverPty, CancelledReadReturnsTheBytesItAlreadyHas) {
    Send({9, 8});
    AwaitInput();
    auto reader = ReadBlocking();
    // Once the tty holds nothing, the read has taken both bytes.
    int waiting = 1;
    while (ioctl(slave_, FIONREAD, &waiting) == 0 && waiting > 0) std::this_thread::yield();
    ASSERT_EQ(waiting, 0);
    port_->CancelReads();
    EXPECT_EQ(reader.get(), 2);
    uint8_t buffer[1] = {};
    EXPECT_EQ(port_->Read(buffer, 1, 0, 0), -1);
}

TEST_F(SerialPortOverPty, OtherSideClosingReleasesABlockedReadAndLaterReadsFail) {
    auto reader = ReadBlocking();
    std::this_thread::sleep_for(50ms);
    CloseMaster();
    EXPECT_EQ(reader.get(), -1);
    uint8_t buffer[4] = {};
    EXPECT_EQ(port_->Read(buffer, 4, -1, -1), -1);
}

TEST_F(SerialPortOverPty, SecondOpenFailsUntilTheFirstIsClosed) {
    SerialOpenError error = SerialOpenError::kNone;
    EXPECT_EQ(platform::OpenSerialPort(path_, &error), nullptr);
    EXPECT_EQ(error, SerialOpenError::kCannotOpen);
    port_.reset();
    auto again = platform::OpenSerialPort(path_, &error);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(error, SerialOpenError::kNone);
}

TEST(SerialPortOpen, FileThatIsNoTtyOrMissingCannotBeOpened) {
    const auto file =
        std::filesystem::temp_directory_path() / ("kinetra-notatty-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    SerialOpenError error = SerialOpenError::kNone;
    EXPECT_EQ(platform::OpenSerialPort(file.string(), &error), nullptr);
    EXPECT_EQ(error, SerialOpenError::kCannotOpen);
    std::filesystem::remove(file);
    error = SerialOpenError::kNone;
    EXPECT_EQ(platform::OpenSerialPort(file.string(), &error), nullptr);
    EXPECT_EQ(error, SerialOpenError::kCannotOpen);
}

TEST(SerialPortName, ComNamesMapToTheBuiltInPortsAndOtherNamesArePaths) {
    using platform::SerialDevicePath;
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(SerialDevicePath("Com10"), "/dev/ttyS9");
    EXPECT_EQ(SerialDevicePath("COM256"), "/dev/ttyS255");
    for (const char* name : {"COM0", "COM257", "COM01", "COM", "COM1x", "COM-1", "COM1000"})
        EXPECT_EQ(SerialDevicePath(name), name) << name;
    EXPECT_EQ(SerialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDevicePath("virtual"), "virtual");
}

std::vector<uint8_t> Decode(platform::LineMarkDecoder& decoder, std::vector<uint8_t> raw) {
    std::vector<uint8_t> out(raw.size());
    out.resize(decoder.Decode(raw.data(), static_cast<int>(raw.size()), out.data()));
    return out;
}

TEST(SerialPortMarks, MarksAreDecodedAcrossReadsAndResetForgetsAHalfMark) {
    using Bytes = std::vector<uint8_t>;
    platform::LineMarkDecoder decoder;
    // A damaged byte is passed on and noted as framing; so is a break (a
    // zero byte with a framing error).
    EXPECT_EQ(Decode(decoder, {0x10, 0xFF, 0x00, 0x41, 0x11}), (Bytes{0x10, 0x41, 0x11}));
    EXPECT_EQ(decoder.TakeErrors(), platform::kLineFraming);
    EXPECT_EQ(decoder.TakeErrors(), 0u);
    EXPECT_EQ(Decode(decoder, {0xFF, 0x00, 0x00}), (Bytes{0x00}));
    EXPECT_EQ(decoder.TakeErrors(), platform::kLineFraming);
    // A doubled FF is one data byte.
    EXPECT_EQ(Decode(decoder, {0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}),
              (Bytes{0xFF, 0x00, 0xFF, 0xFF}));
    EXPECT_EQ(decoder.TakeErrors(), 0u);
    // A mark split across reads is completed by the next.
    EXPECT_EQ(Decode(decoder, {0x01, 0xFF}), (Bytes{0x01}));
    EXPECT_EQ(Decode(decoder, {0x00}), (Bytes{}));
    EXPECT_EQ(decoder.TakeErrors(), 0u);
    EXPECT_EQ(Decode(decoder, {0xFF, 0x02}), (Bytes{0xFF, 0x02}));
    EXPECT_EQ(decoder.TakeErrors(), platform::kLineFraming);
    EXPECT_EQ(Decode(decoder, {0xFF}), (Bytes{}));
    EXPECT_EQ(Decode(decoder, {0xFF}), (Bytes{0xFF}));
    EXPECT_EQ(Decode(decoder, {0xFF, 0x00}), (Bytes{}));
    decoder.Reset();
    EXPECT_EQ(Decode(decoder, {0x41}), (Bytes{0x41}));
    EXPECT_EQ(decoder.TakeErrors(), 0u);
}

// A fake /dev and /sys in a temporary directory.
class SerialPortList : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("kinetra-serial-list-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "dev/serial/by-id");
        std::filesystem::create_directories(root_ / "sys/class/tty");
        std::filesystem::create_directories(root_ / "sys/devices/platform/serial8250");
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void DeviceNode(const std::string& name) { std::ofstream(root_ / "dev" / name); }
    // A tty under /sys/class/tty; with a device behind it when asked, and
    // for ttyS the port type.
    void Tty(const std::string& name, bool withDevice, const char* type = nullptr) {
        const auto entry = root_ / "sys/class/tty" / name;
        std::filesystem::create_directories(entry);
        if (withDevice) {
            std::filesystem::create_directories(root_ / "sys/devices" / name / "driver");
            std::filesystem::create_directory_symlink("../../../devices/" + name, entry / "device");
        }
        if (type) std::ofstream(entry / "type") << type << "\n";
    }
    void ById(const std::string& link, const std::string& name) {
        std::filesystem::create_symlink("../../" + name, root_ / "dev/serial/by-id" / link);
    }
    std::vector<std::string> List() { return platform::ListSerialDevicesUnder(root_.string()); }

    std::filesystem::path root_;
};

TEST_F(SerialPortList, ByIdNamesComeFirstSortedThenRealTtysWithoutDuplicates) {
    for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS2", "ttyS10"})
        DeviceNode(name);
    Tty("ttyUSB0", true);
    Tty("ttyUSB1", true);
    Tty("ttyACM0", true);
    Tty("ttyS0", true, "4");
    Tty("ttyS2", true, "4");
    Tty("ttyS10", true, "4");
    ById("usb-Maker_Adapter_B-if00-port0", "ttyUSB1");
    ById("usb-Maker_Adapter_A-if00-port0", "ttyUSB0");
    EXPECT_EQ(List(), (std::vector<std::string>{
                          "/dev/serial/by-id/usb-Maker_Adapter_A-if00-port0",
                          "/dev/serial/by-id/usb-Maker_Adapter_B-if00-port0",
                          "/dev/ttyACM0",
                          "/dev/ttyS0",
                          "/dev/ttyS2",
                          "/dev/ttyS10",
                      }));
}

TEST_F(SerialPortList, BuiltInPortsWithoutHardwareOtherTtysAndDanglingLinksAreLeftOut) {
    for (const char* name : {"ttyS0", "ttyS1", "ttyS3", "tty1", "ttyUSB2", "ttyAMA0", "ttyACM1"})
        DeviceNode(name);
    Tty("ttyS0", true, "0");   // the driver's placeholder: no UART
    Tty("ttyS1", false, "4");  // no driver behind it
    Tty("ttyS3", true);        // no type to read
    Tty("tty1", true);         // a console, not a serial port
    Tty("ttyUSB2", false);
    Tty("ttyAMA0", true);
    Tty("ttyACM1", true);
    Tty("ttyACM5", true);  // known to the kernel, but no device node here
    EXPECT_EQ(List(), (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyAMA0"}));
    // A dangling by-id link adds nothing; missing folders give nothing.
    ById("usb-Gone-if00-port0", "ttyUSB7");
    EXPECT_EQ(List(), (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyAMA0"}));
    std::filesystem::remove_all(root_ / "dev");
    std::filesystem::remove_all(root_ / "sys");
    EXPECT_EQ(List(), std::vector<std::string>{});
}

}  // namespace
